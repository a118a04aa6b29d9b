#pragma once

#include <QRectF>
#include <QString>

// Rectangles in the platform's text notation, "{{x, y}, {w, h}}", as window state stores them.
class RVRectString {
public:
    static QString stringFromRect(const QRectF& rect);
    // Four finite numbers in that notation (blanks around them allowed); anything else answers
    // false and leaves `rect` alone.
    static bool rectFromString(const QString& text, QRectF* rect);
};
