#include "DateTestSupport.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/TimestampFormatter.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

// 2024-01-15 00:30:00 UTC: Sunday 14 January 16:30 in Los Angeles, Monday 15 January 09:30 in Tokyo.
constexpr Date sampleDate = Date::fromUnixTime(1705278600);
const std::string narrowSpace = "\u202F"; // ICU puts a narrow no-break space before AM/PM

DateFormatter styled(DateStyle date, DateStyle time, const std::string& zone) {
    DateFormatter formatter;
    formatter.setLocale("en_US");
    formatter.setTimeZone(zone);
    formatter.setDateStyle(date);
    formatter.setTimeStyle(time);
    return formatter;
}

TEST(DateFormatterTest, DateStylesInUnitedStatesEnglish) {
    const std::string zone = "America/Los_Angeles";
    EXPECT_EQ(styled(DateStyle::shortStyle, DateStyle::none, zone).string(sampleDate), "1/14/24");
    EXPECT_EQ(styled(DateStyle::medium, DateStyle::none, zone).string(sampleDate), "Jan 14, 2024");
    EXPECT_EQ(styled(DateStyle::longStyle, DateStyle::none, zone).string(sampleDate), "January 14, 2024");
    EXPECT_EQ(styled(DateStyle::full, DateStyle::none, zone).string(sampleDate), "Sunday, January 14, 2024");
    EXPECT_EQ(styled(DateStyle::full, DateStyle::none, "Asia/Tokyo").string(sampleDate), "Monday, January 15, 2024");
}

TEST(DateFormatterTest, TimeStylesFollowTheTimeZone) {
    EXPECT_EQ(styled(DateStyle::none, DateStyle::shortStyle, "America/Los_Angeles").string(sampleDate),
              "4:30" + narrowSpace + "PM");
    EXPECT_EQ(styled(DateStyle::none, DateStyle::medium, "America/Los_Angeles").string(sampleDate),
              "4:30:00" + narrowSpace + "PM");
    EXPECT_EQ(styled(DateStyle::none, DateStyle::medium, "Asia/Tokyo").string(sampleDate), "9:30:00" + narrowSpace + "AM");
    EXPECT_EQ(styled(DateStyle::none, DateStyle::longStyle, "America/Los_Angeles").string(sampleDate),
              "4:30:00" + narrowSpace + "PM PST");
    EXPECT_EQ(styled(DateStyle::none, DateStyle::none, "Asia/Tokyo").string(sampleDate), "");
}

TEST(DateFormatterTest, FixedPatternsFormatAndParseBack) {
    DateFormatter formatter;
    formatter.setLocale("en_US");
    formatter.setTimeZone("Asia/Tokyo");
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss");
    EXPECT_EQ(formatter.string(sampleDate), "2024-01-15 09:30:00");
    EXPECT_EQ(formatter.date("2024-01-15 09:30:00"), sampleDate);
    EXPECT_EQ(formatter.date("2024-01-15 09:30:00 trailing"), std::nullopt);
    EXPECT_EQ(formatter.date("2024-13-45 09:30:00"), std::nullopt);
    EXPECT_EQ(formatter.date("yesterday"), std::nullopt);

    formatter.setDateFormat("MMMM d");
    EXPECT_EQ(formatter.string(sampleDate), "January 15");
    formatter.setTimeZone("America/Los_Angeles");
    formatter.setDateFormat("h:mm a");
    EXPECT_EQ(formatter.string(sampleDate), "4:30 PM");
}

TEST(DateFormatterTest, DefaultsComeFromTheProcessSettingsAtFormattingTime) {
    DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd HH:mm");
    {
        const testing::ScopedDateDefaults defaults("en_US", "Asia/Tokyo");
        EXPECT_EQ(formatter.string(sampleDate), "2024-01-15 09:30");
    }
    {
        const testing::ScopedDateDefaults defaults("en_US", "America/Los_Angeles");
        EXPECT_EQ(formatter.string(sampleDate), "2024-01-14 16:30");
        const DateFormatter copy = formatter;
        EXPECT_EQ(copy.string(sampleDate), "2024-01-14 16:30");
    }
}

TEST(DateFormatterTest, ApplicationPatternHelpers) {
    const testing::ScopedDateDefaults defaults("en_US", "America/Los_Angeles");
    EXPECT_EQ(dayKey(sampleDate), "2024-01-14");
    EXPECT_EQ(timestampString(sampleDate), "2024-01-14 16:30:00");
    EXPECT_EQ(timeOfDayString(sampleDate), "4:30 PM");
    EXPECT_EQ(monthDayString(sampleDate), "January 14");
    EXPECT_EQ(abbreviatedWeekdayEnUS(sampleDate), "Sun");
    EXPECT_EQ(localizedString(sampleDate, DateStyle::none, DateStyle::medium), "4:30:00" + narrowSpace + "PM");
    EXPECT_EQ(localizedString(sampleDate, DateStyle::shortStyle, DateStyle::shortStyle), "1/14/24, 4:30" + narrowSpace + "PM");
    EXPECT_EQ(iso8601DateOnlyUTC(sampleDate), "2024-01-15");
    EXPECT_EQ(iso8601DateOnlyUTC(Date::fromUnixTime(1705276799)), "2024-01-14");
}

TEST(DateFormatterTest, DayKeysStayMachineReadableInEveryLocale) {
    // Thai defaults to the Buddhist calendar (year 2567) and Arabic to Arabic-Indic digits; day keys
    // are file keys, so they must not change with the user's language.
    for (const char* locale : {"th_TH", "ar_EG", "fa_IR", "ja_JP@calendar=japanese"}) {
        const testing::ScopedDateDefaults defaults(locale, "Asia/Tokyo");
        EXPECT_EQ(dayKey(sampleDate), "2024-01-15") << locale;
        EXPECT_EQ(timestampString(sampleDate), "2024-01-15 09:30:00") << locale;
        EXPECT_EQ(abbreviatedWeekdayEnUS(sampleDate), "Mon") << locale;
    }
}

TEST(DateFormatterTest, TimestampsInARowMatchTheFormatterAcrossClockChanges) {
    // Berlin's spring and autumn changes; Santiago's day that skips its own midnight.
    for (const auto& [zone, from] : {std::pair{"Europe/Berlin", 1711753200.0}, std::pair{"Europe/Berlin", 1729980000.0},
                                     std::pair{"America/Santiago", 1788580800.0}}) {
        const testing::ScopedDateDefaults defaults("de_DE", zone);
        TimestampFormatter formatter;
        for (double t = from; t < from + 3 * 86400; t += 997.25) {
            const Date date = Date::fromUnixTime(t);
            ASSERT_EQ(formatter.string(date), timestampString(date)) << zone << " " << t;
        }
        // Backwards too, and a moment just before a whole second.
        for (double t = from + 3 * 86400; t > from; t -= 3599.999999) {
            ASSERT_EQ(formatter.string(Date::fromUnixTime(t)), timestampString(Date::fromUnixTime(t))) << zone << " " << t;
        }
    }
}

TEST(DateFormatterTest, LocalisedPatternsUseTheUserLanguage) {
    const testing::ScopedDateDefaults defaults("de_DE", "Europe/Berlin");
    EXPECT_EQ(monthDayString(sampleDate), "Januar 15");
}

TEST(DateDefaultsTest, EnvironmentSuppliesLocaleAndTimeZone) {
    testing::ScopedEnvironment environment;
    environment.unset("LC_ALL");
    environment.set("LC_TIME", "de_DE.UTF-8");
    environment.set("LANG", "fr_FR.UTF-8");
    environment.set("TZ", ":Asia/Tokyo");
    EXPECT_EQ(defaultLocale(), "de_DE");
    EXPECT_EQ(defaultTimeZone(), "Asia/Tokyo");

    environment.set("LC_ALL", "C");
    environment.set("TZ", "/usr/share/zoneinfo/Europe/Paris");
    EXPECT_EQ(defaultLocale(), "en_US_POSIX");
    EXPECT_EQ(defaultTimeZone(), "Europe/Paris");

    setDefaultTimeZone("America/New_York");
    EXPECT_EQ(defaultTimeZone(), "America/New_York");
    setDefaultTimeZone({});
    EXPECT_EQ(defaultTimeZone(), "Europe/Paris");
}

} // namespace
} // namespace glimmo
