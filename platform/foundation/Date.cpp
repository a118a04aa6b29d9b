#include "platform/foundation/Date.h"

#include <cmath>
#include <limits>

namespace pf {

namespace {

// 2001-01-01T00:00:00Z in milliseconds since the Unix epoch.
constexpr qint64 kReferenceDateMSecsSinceEpoch = 978307200000LL;

// QDateTime's range, about ±292 million years, in milliseconds since the reference date,
// with a margin so that adding the epoch offset cannot overflow.
constexpr double kLargestMSecs = 9.0e18;

} // namespace

QDateTime Date::referenceDate()
{
    return QDateTime::fromMSecsSinceEpoch(kReferenceDateMSecsSinceEpoch, Qt::UTC);
}

double Date::timeIntervalSinceReferenceDate(const QDateTime& date)
{
    if (!date.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    return double(date.toMSecsSinceEpoch() - kReferenceDateMSecsSinceEpoch) / 1000.0;
}

QDateTime Date::fromTimeIntervalSinceReferenceDate(double seconds)
{
    const double msecs = std::round(seconds * 1000.0);
    if (!std::isfinite(msecs) || std::fabs(msecs) > kLargestMSecs)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(qint64(msecs) + kReferenceDateMSecsSinceEpoch, Qt::UTC);
}

QDateTime Date::now()
{
    return QDateTime::currentDateTimeUtc();
}

} // namespace pf
