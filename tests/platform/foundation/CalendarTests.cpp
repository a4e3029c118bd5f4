#include "DateTestSupport.h"
#include "platform/foundation/Calendar.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

constexpr Date sample = Date::fromUnixTime(1705278600); // 2024-01-15 00:30 UTC
const std::string losAngeles = "America/Los_Angeles";
const std::string tokyo = "Asia/Tokyo";

TEST(CalendarTest, ComponentsDependOnTheTimeZone) {
    const Calendar la(losAngeles, "en_US");
    const Calendar japan(tokyo, "en_US");
    const DateComponents inLA = la.components(sample);
    EXPECT_EQ(inLA.year, 2024);
    EXPECT_EQ(inLA.month, 1);
    EXPECT_EQ(inLA.day, 14);
    EXPECT_EQ(inLA.hour, 16);
    EXPECT_EQ(inLA.minute, 30);
    EXPECT_EQ(la.weekday(sample), 1); // Sunday
    EXPECT_EQ(japan.weekday(sample), 2);
    EXPECT_EQ(japan.hour(sample), 9);
    EXPECT_EQ(la.weekOfYear(sample), 3);
    EXPECT_EQ(japan.weekOfYear(sample), 3);
    EXPECT_EQ(la.firstWeekday(), 1);
    EXPECT_EQ(Calendar(tokyo, "de_DE").firstWeekday(), 2);
}

TEST(CalendarTest, StartOfDayAndSameDay) {
    const Calendar la(losAngeles, "en_US");
    const Calendar japan(tokyo, "en_US");
    EXPECT_EQ(la.startOfDay(sample), Date::fromUnixTime(1705219200));    // 2024-01-14 00:00 PST
    EXPECT_EQ(japan.startOfDay(sample), Date::fromUnixTime(1705244400)); // 2024-01-15 00:00 JST
    EXPECT_TRUE(la.isDate(sample, Date::fromUnixTime(1705219200)));
    EXPECT_FALSE(japan.isDate(sample, Date::fromUnixTime(1705244399)));
}

TEST(CalendarTest, AddingDaysKeepsWallClockAcrossDaylightSavingChanges) {
    const Calendar la(losAngeles, "en_US");
    const Date noonBeforeSpringForward = Date::fromUnixTime(1710014400); // 2024-03-09 12:00 PST
    const Date nextNoon = la.addingDays(noonBeforeSpringForward, 1);
    EXPECT_EQ(nextNoon, Date::fromUnixTime(1710097200)); // 2024-03-10 12:00 PDT, 23 hours later
    EXPECT_EQ(la.hour(nextNoon), 12);
    EXPECT_EQ(la.addingDays(nextNoon, -1), noonBeforeSpringForward);
    EXPECT_EQ(la.startOfDay(nextNoon), Date::fromUnixTime(1710057600));

    const Date noonBeforeFallBack = Date::fromUnixTime(1730574000); // 2024-11-02 12:00 PDT
    EXPECT_EQ(la.addingDays(noonBeforeFallBack, 1), Date::fromUnixTime(1730664000)); // 25 hours later
    EXPECT_EQ(la.daysBetween(noonBeforeSpringForward, noonBeforeFallBack), 238);
    EXPECT_EQ(la.daysBetween(noonBeforeFallBack, noonBeforeSpringForward), -238);
}

TEST(CalendarTest, WeeksMonthsAndBuildingDates) {
    const Calendar la(losAngeles, "en_US");
    EXPECT_EQ(la.date(2024, 1, 14, 16, 30, 0), sample);
    EXPECT_EQ(la.date(2024, 13, 1), la.date(2025, 1, 1));
    // 02:30 does not exist on 2024-03-10 in Los Angeles: it moves forward by the hour skipped.
    EXPECT_EQ(la.date(2024, 3, 10, 2, 30, 0), Date::fromUnixTime(1710066600));
    EXPECT_EQ(la.addingMonths(la.date(2024, 1, 31), 1), la.date(2024, 2, 29));
    EXPECT_EQ(la.addingWeeks(sample, 2), la.date(2024, 1, 28, 16, 30, 0));
    EXPECT_EQ(la.startOfWeek(la.date(2024, 1, 17, 9, 0, 0)), la.date(2024, 1, 14));
    EXPECT_EQ(Calendar(tokyo, "de_DE").startOfWeek(sample), Calendar(tokyo, "de_DE").date(2024, 1, 15));
    EXPECT_EQ(la.startOfMonth(sample), la.date(2024, 1, 1));
    EXPECT_EQ(la.addingHours(sample, 2), sample.addingTimeInterval(7200));
}

TEST(CalendarTest, CurrentUsesTheProcessDefaults) {
    const testing::ScopedDateDefaults defaults("en_US", tokyo);
    EXPECT_EQ(Calendar::current().timeZone(), tokyo);
    EXPECT_EQ(Calendar::current().hour(sample), 9);
}

} // namespace
} // namespace glimmo
