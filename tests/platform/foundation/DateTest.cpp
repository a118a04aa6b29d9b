#include <gtest/gtest.h>

#include "platform/foundation/Date.h"

#include <QTimeZone>

#include <cmath>
#include <limits>

using pf::Date;

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

} // namespace

TEST(DateHelpers, ReferenceDateIsStartOf2001InUtc)
{
    EXPECT_EQ(Date::referenceDate(), utc(2001, 1, 1, 0, 0, 0));
    EXPECT_EQ(Date::referenceDate().timeSpec(), Qt::UTC);
}

TEST(DateHelpers, IntervalsConvertBothWays)
{
    const struct {
        QDateTime date;
        double seconds;
    } cases[] = {
        {utc(2001, 1, 1, 0, 0, 0), 0.0},
        {utc(2001, 1, 1, 0, 0, 1, 500), 1.5},
        {utc(2000, 12, 31, 23, 59, 59, 250), -0.75},
        {utc(1970, 1, 1, 0, 0, 0), -978307200.0},
        {utc(2100, 3, 1, 12, 0, 0), 3129278400.0},
        {QDateTime(QDate(2001, 1, 1), QTime(2, 0), QTimeZone(7200)), 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.date.toString(Qt::ISODateWithMs)));
        EXPECT_DOUBLE_EQ(Date::timeIntervalSinceReferenceDate(c.date), c.seconds);
        const QDateTime back = Date::fromTimeIntervalSinceReferenceDate(c.seconds);
        EXPECT_EQ(back, c.date);
        EXPECT_EQ(back.timeSpec(), Qt::UTC);
    }
    // QDateTime keeps milliseconds: finer fractions round to the nearest one.
    EXPECT_EQ(Date::fromTimeIntervalSinceReferenceDate(-0.0004), Date::referenceDate());
    EXPECT_EQ(Date::fromTimeIntervalSinceReferenceDate(0.0006), utc(2001, 1, 1, 0, 0, 0, 1));
}

TEST(DateHelpers, ValuesOutsideTheRangeOfDatesAreInvalid)
{
    EXPECT_TRUE(std::isnan(Date::timeIntervalSinceReferenceDate(QDateTime())));
    for (double seconds : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
        SCOPED_TRACE(seconds);
        EXPECT_FALSE(Date::fromTimeIntervalSinceReferenceDate(seconds).isValid());
    }
}
