#pragma once

#include <QString>

class PWDrawableObject;

// Supplies the name of each new drawable; installed with PWDrawableObject::setNameProvider and
// asked once for every object made while naming is enabled.
class PWDrawableNameProvider {
public:
    virtual ~PWDrawableNameProvider() = default;
    virtual QString nameForNewInstance(const PWDrawableObject& object) = 0;
};
