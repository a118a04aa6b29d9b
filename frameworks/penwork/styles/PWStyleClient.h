#pragma once

#include <QString>

class PWStyle;

// An object drawn with a style, told before and after the style (or any renderer in it)
// changes, with the key path of the change. Drawables redisplay and reset their bounds cache.
class PWStyleClient {
public:
    virtual ~PWStyleClient() = default;
    virtual void styleWillChange(PWStyle& style, const QString& keyPath) = 0;
    virtual void styleDidChange(PWStyle& style, const QString& keyPath) = 0;
    // The index the style gave this client when it was added.
    virtual unsigned clientIndex() const = 0;
    virtual void setClientIndex(unsigned index) = 0;
};
