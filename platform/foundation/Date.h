#pragma once

#include <QDateTime>

namespace pf {

// Dates as the rest of the system counts them: seconds since the reference date,
// 2001-01-01T00:00:00Z, as a double.
class Date {
public:
    static QDateTime referenceDate();
    // Not a number for an invalid date, so that callers cannot mistake it for a real instant.
    static double timeIntervalSinceReferenceDate(const QDateTime& date);
    // Rounded to the millisecond QDateTime keeps; invalid for a value that is not finite or lies
    // beyond what QDateTime can hold.
    static QDateTime fromTimeIntervalSinceReferenceDate(double seconds);
    static QDateTime now();
};

} // namespace pf
