#include "app/ActivityReport.h"
#include "app/DurationText.h"

#include <gtest/gtest.h>

#include <limits>

namespace glimmo {
namespace {

UnifiedActivity app(std::string name, double seconds, std::string context = "ctx") {
    return {std::move(name), UnifiedActivity::ActivityType::app, seconds, Date{0}, std::move(context)};
}

UnifiedActivity site(std::string name, double seconds, std::string context = "https://x") {
    return {std::move(name), UnifiedActivity::ActivityType::website, seconds, Date{0}, std::move(context)};
}

TEST(DurationText, MinutesBelowAnHourAndHoursAbove) {
    EXPECT_EQ(durationText(59.0), "0m");
    EXPECT_EQ(durationText(3599.0), "59m");
    EXPECT_EQ(durationText(3600.0), "1h 0m");
    EXPECT_EQ(durationText(3661.0), "1h 1m");
    EXPECT_EQ(durationText(5430.0), "1h 30m");
    EXPECT_EQ(durationText(std::int64_t{25 * 3600 + 61}), "25h 1m");
    EXPECT_EQ(durationText(std::int64_t{-90}), "-1m");
    EXPECT_EQ(durationText(3599.9), "59m");
    // Past the range of whole seconds a duration reads as the longest (or shortest) there is.
    EXPECT_EQ(durationText(1e300), durationText(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(durationText(-1e300), durationText(std::numeric_limits<std::int64_t>::min()));
}

TEST(ActivityReport, EmptyWindowIsOneUntrackedRow) {
    const UnifiedActivityReport report = makeActivityReport({}, 0);
    ASSERT_EQ(report.categories.size(), 1u);
    EXPECT_EQ(report.categories[0], (ActivityReportCategory{"Untracked", "No activity data available", 100}));
    EXPECT_TRUE(report.activities.empty());
    EXPECT_EQ(report.totalMinutes, 0);
    EXPECT_EQ(report.activeMinutes, 0);
    EXPECT_EQ(formatActivityReport(report),
              "{\n  \"categories\": [\n    {\n      \"type\": \"Untracked\",\n      \"apps\": \"No activity data "
              "available\"\n    }\n  ],\n  \"activities\": [\n  ]\n}");
}

TEST(ActivityReport, OnlyAppsGiveOneRowOfAHundredPercent) {
    const UnifiedActivityReport report = makeActivityReport({app("Xcode", 1800), app("Mail", 1800)}, 3600);
    ASSERT_EQ(report.categories.size(), 1u);
    EXPECT_EQ(report.categories[0], (ActivityReportCategory{"Apps", "Xcode (30m), Mail (30m)", 100}));
    EXPECT_EQ(report.totalMinutes, 60);
    EXPECT_EQ(report.activeMinutes, 60);
}

TEST(ActivityReport, PercentsAreTruncatedPerRow) {
    const UnifiedActivityReport report = makeActivityReport({site("github.com", 200), app("Terminal", 100)}, 300);
    ASSERT_EQ(report.categories.size(), 2u);
    for (const ActivityReportCategory& row : report.categories) {
        if (row.type == "Websites") {
            EXPECT_EQ(row.percent, 66);
            EXPECT_EQ(row.apps, "github.com (3m)");
        } else {
            EXPECT_EQ(row.type, "Apps");
            EXPECT_EQ(row.percent, 33);
        }
    }
}

TEST(ActivityReport, ActivityLinesCarryDurationAndContext) {
    const UnifiedActivityReport report =
        makeActivityReport({app("A", 59, "one\n---\ntwo"), site("b.com", 3600, "https://b.com")}, 119);
    ASSERT_EQ(report.activities.size(), 2u);
    EXPECT_EQ(report.activities[0], "A (0m)\nContext:\none\n---\ntwo");
    EXPECT_EQ(report.activities[1], "b.com (1h 0m)\nContext:\nhttps://b.com");
    EXPECT_EQ(report.totalMinutes, 1);
}

TEST(ActivityReport, MinutesPastTheRangeOfAnIntAreTheMostItHolds) {
    const UnifiedActivityReport report = makeActivityReport({app("A", 1e12)}, 1e12);
    EXPECT_EQ(report.totalMinutes, std::numeric_limits<int>::max());
    EXPECT_EQ(report.categories[0].percent, 100);
}

TEST(ActivityReport, ZeroTotalWithEntriesKeepsRowsAtZeroPercent) {
    const UnifiedActivityReport report = makeActivityReport({app("A", 0)}, 0);
    ASSERT_EQ(report.categories.size(), 1u);
    EXPECT_EQ(report.categories[0], (ActivityReportCategory{"Apps", "A (0m)", 0}));
}

TEST(FormatActivityReport, OneRowOneActivityExactText) {
    UnifiedActivityReport report;
    report.categories = {{"Apps", "Xcode (1h 0m)", 100}};
    report.activities = {"Xcode (1h 0m)\nContext:\nsaid \"hi\" \\ there"};
    EXPECT_EQ(formatActivityReport(report),
              "{\n  \"categories\": [\n    {\n      \"type\": \"Apps\",\n      \"apps\": \"Xcode (1h 0m)\"\n    }\n"
              "  ],\n  \"activities\": [\"Xcode (1h 0m)\nContext:\nsaid \"hi\" \\ there\"\n  ]\n}");
}

TEST(FormatActivityReport, SeveralRowsAndActivitiesAreSeparated) {
    UnifiedActivityReport report;
    report.categories = {{"Apps", "A (1m)", 50}, {"Websites", "b.com (1m)", 50}};
    report.activities = {"one", "two", "three"};
    EXPECT_EQ(formatActivityReport(report),
              "{\n  \"categories\": [\n    {\n      \"type\": \"Apps\",\n      \"apps\": \"A (1m)\"\n    },"
              "\n    {\n      \"type\": \"Websites\",\n      \"apps\": \"b.com (1m)\"\n    }\n  ],\n"
              "  \"activities\": [\"one\",\n    \"two\",\n    \"three\"\n  ]\n}");
}

} // namespace
} // namespace glimmo
