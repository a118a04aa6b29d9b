#pragma once

#include <QString>

class PWStyle;

// Names the copies of styles (a library keeps them unique).
class PWStyleNameProvider {
public:
    virtual ~PWStyleNameProvider() = default;
    virtual QString nameForCopyOfStyle(const PWStyle& style) = 0;
};
