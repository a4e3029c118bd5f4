// Reading the week's stored answers into shares, the seven chart days, and the tip above the chart.

#include "tests/ui/Dashboard/DashboardTestSupport.h"
#include "ui/Dashboard/EquatableWeeklyBarChart.h"
#include "ui/Dashboard/WeeklyChartData.h"

#include <gtest/gtest.h>

#include <limits>

namespace glimmo::testing {
namespace {

class WeeklyChartDataTest : public DashboardFixture {
protected:
    int parseFailures() const {
        int n = 0;
        for (const auto& line : logs()) n += line.starts_with("Failed to parse JSON: ");
        return n;
    }
};

std::string answer(const std::string& categories) { return R"({"categories": [)" + categories + R"(], "activities": []})"; }

std::string shares(long long create, long long communicate, long long consume) {
    return answer(R"({"type": "Create", "percentage": )" + std::to_string(create) + R"(, "apps": ["Editor"]},)" +
                  R"({"type": "Communicate", "percentage": )" + std::to_string(communicate) + "}," +
                  R"({"type": "Consume", "percentage": )" + std::to_string(consume) + "}");
}

CategoryPercentages parse(const std::string& stored) {
    return parseCategoryPercentages(dayRecord("2026-12-07", stored, on7th(12)));
}

TEST_F(WeeklyChartDataTest, SharesAreScaledToAHundredWithTheRemainderOnTheLargest) {
    EXPECT_EQ(parse("```json\n" + shares(30, 30, 30) + "\n```"), (CategoryPercentages{34, 33, 33}));
    EXPECT_EQ(parse(shares(50, 25, 25)), (CategoryPercentages{50, 25, 25}));
    EXPECT_EQ(parse(shares(0, 0, 0)), (CategoryPercentages{0, 0, 0}));
    EXPECT_EQ(parse(shares(-5, 0, 0)), (CategoryPercentages{-5, 0, 0}));
    EXPECT_EQ(parse(shares(1, 1, 0)), (CategoryPercentages{50, 50, 0}));
    EXPECT_EQ(parse(shares(1, 2, 1)), (CategoryPercentages{25, 50, 25}));
    EXPECT_EQ(parse(shares(1, 0, 1)), (CategoryPercentages{50, 0, 50}));
    // 12.5 rounds away from zero to 13 twice; the sum of 101 is taken from the largest share.
    EXPECT_EQ(parse(shares(1, 1, 6)), (CategoryPercentages{13, 13, 74}));
}

TEST_F(WeeklyChartDataTest, OnlyTheThreeExactTypesWithWholePercentagesCount) {
    EXPECT_EQ(parse(answer(R"({"type": "create", "percentage": 40}, {"type": "Creative", "percentage": 40},)"
                           R"({"type": "Consume", "percentage": 100})")),
              (CategoryPercentages{0, 0, 100}));
    EXPECT_EQ(parse(answer(R"({"type": "Create", "percentage": 10}, {"type": "Create", "percentage": 60},)"
                           R"({"type": "Consume", "percentage": 40})")),
              (CategoryPercentages{60, 0, 40}));
    EXPECT_EQ(parse(answer(R"({"type": "Create", "percentage": 40.5}, {"type": "Communicate", "percentage": "40"},)"
                           R"({}, {"type": 7, "percentage": 3}, {"type": "Consume", "percentage": 100})")),
              (CategoryPercentages{0, 0, 100}));
}

TEST_F(WeeklyChartDataTest, AnUnreadableAnswerPrintsTheStoredTextAndGivesZeros) {
    const std::string stored = "```json\nnot json at all\n```";
    EXPECT_EQ(parse(stored), (CategoryPercentages{0, 0, 0}));
    EXPECT_TRUE(logged("Failed to parse JSON: " + stored));

    EXPECT_EQ(parse(R"({"categories": {"type": "Create"}})"), (CategoryPercentages{0, 0, 0}));
    EXPECT_TRUE(logged(R"(Failed to parse JSON: {"categories": {"type": "Create"}})"));
    EXPECT_EQ(parse(R"({"categories": [1, 2]})"), (CategoryPercentages{0, 0, 0}));
    EXPECT_EQ(parse(R"(["categories"])"), (CategoryPercentages{0, 0, 0}));
    EXPECT_EQ(parseFailures(), 4);
    // Nesting past the JSON entry's limit, and numbers out of range, are unreadable answers too.
    EXPECT_EQ(parse(answer(R"({"type": "Create", "percentage": 50, "x": )" + std::string(20000, '[') +
                           std::string(20000, ']') + "}")),
              (CategoryPercentages{0, 0, 0}));
    EXPECT_EQ(parse(answer(R"({"type": "Create", "percentage": 50, "x": 1e999})")), (CategoryPercentages{0, 0, 0}));
    EXPECT_EQ(parseFailures(), 6);
}

TEST_F(WeeklyChartDataTest, ADayWithoutRecordOrAnswerGivesZerosSilently) {
    EXPECT_EQ(parseCategoryPercentages(std::nullopt), (CategoryPercentages{0, 0, 0}));
    DailyActivityData empty;
    empty.date = "2026-12-07";
    EXPECT_EQ(parseCategoryPercentages(empty), (CategoryPercentages{0, 0, 0}));
    EXPECT_EQ(parseFailures(), 0);
}

TEST_F(WeeklyChartDataTest, PercentagesAtTheIntegerLimitsDoNotOverflow) {
    const auto max = std::numeric_limits<long long>::max();
    EXPECT_EQ(parse(shares(max, max, 0)), (CategoryPercentages{50, 50, 0}));
    const auto big = parse(answer(R"({"type": "Create", "percentage": 18446744073709551615})"));
    EXPECT_EQ(big, (CategoryPercentages{100, 0, 0}));
    // Opposite shares near the limits that leave a small positive total: scaled, the positive one
    // stays positive and the three still add up to 100.
    for (const long long consume : {1LL, 5LL}) {
        const auto scaled = parse(shares(max, -max, consume));
        EXPECT_GT(scaled.create, 0) << consume;
        EXPECT_LT(scaled.communicate, 0) << consume;
        EXPECT_EQ(std::int64_t{scaled.create} + scaled.communicate + scaled.consume, 100) << consume;
    }
}

TEST_F(WeeklyChartDataTest, TheChartHoldsTheSevenDaysOfTheCurrentWeekFoundByTheirKeys) {
    const Calendar calendar = Calendar::current();
    const WeekRange week = currentWeekRange(calendar, on7th(15));
    EXPECT_EQ(dayKey(week.start), "2026-12-06"); // en_US weeks start on Sunday
    EXPECT_EQ(dayKey(week.end), "2026-12-12");

    // Index 0 is today (Monday); the records are found by key, not by position.
    const std::vector<std::optional<DailyActivityData>> weekData{
        dayRecord("2026-12-06", shares(20, 30, 50), on7th(1)), std::nullopt,
        dayRecord("2026-12-07", shares(80, 10, 10), on7th(12))};
    const auto days = computeChartData(weekData, week.start, calendar);
    ASSERT_EQ(days.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(days[i].id, i);
        EXPECT_EQ(days[i].date, calendar.addingDays(week.start, i));
    }
    EXPECT_EQ(days[0], (DayData{0, week.start, 50, 20, 30}));
    EXPECT_EQ(days[1].create, 80);
    EXPECT_EQ(days[2].create + days[2].consume + days[2].communicate, 0);
}

TEST_F(WeeklyChartDataTest, WeeksStartOnTheCalendarsFirstWeekday) {
    const Calendar monday("UTC", "en_GB");
    EXPECT_EQ(dayKey(currentWeekRange(monday, on7th(15)).start), "2026-12-07");
    EXPECT_EQ(dayKey(currentWeekRange(monday, on7th(15).addingTimeInterval(-86400)).start), "2026-11-30");
}

std::vector<DayData> creates(std::vector<int> values) {
    std::vector<DayData> days;
    for (std::size_t i = 0; i < values.size(); ++i) days.push_back(DayData{static_cast<int>(i), Date(), 0, values[i], 0});
    return days;
}

TEST_F(WeeklyChartDataTest, TheTipFollowsTheDayOfTheWeekAndTheAverageCreateShare) {
    const auto record = std::optional<DailyActivityData>(dayRecord("2026-12-07", shares(1, 1, 1), on7th(1)));
    const std::vector<std::optional<DailyActivityData>> todayOnly{record, std::nullopt, std::nullopt};

    EXPECT_EQ(weeklyMessage(1, 1, todayOnly, creates({100, 100})), "New week ahead! Set your focus intentions.");
    // Monday with Sunday unrecorded: the sum over two days divided by the one recorded day.
    EXPECT_EQ(weeklyMessage(2, 1, todayOnly, creates({0, 71})), "Coming in strong this week! Keep up the creative momentum.");
    EXPECT_EQ(weeklyMessage(2, 1, todayOnly, creates({0, 70})), "Early in the week - time to build those creative habits.");
    // Tuesday: three chart days summed, divided by the recorded days among the last three.
    EXPECT_EQ(weeklyMessage(3, 1, todayOnly, creates({0, 0, 80})), "Coming in strong this week! Keep up the creative momentum.");
    const std::vector<std::optional<DailyActivityData>> threeDays{record, record, record};
    EXPECT_EQ(weeklyMessage(3, 1, threeDays, creates({0, 0, 80})), "Early in the week - time to build those creative habits.");
    // Wednesday looks at the fourth chart day alone.
    EXPECT_EQ(weeklyMessage(4, 1, todayOnly, creates({0, 0, 0})), "Midweek check-in: Data still loading.");
    EXPECT_EQ(weeklyMessage(4, 1, todayOnly, creates({0, 0, 0, 71})), "Killed it on Wednesday! Strong midweek focus.");
    EXPECT_EQ(weeklyMessage(4, 1, threeDays, creates({100, 100, 100, 70})), "Midweek check-in: Consider adjusting your focus time.");
    EXPECT_EQ(weeklyMessage(7, 1, threeDays, creates({71, 71, 71, 71, 71, 71, 71})), "Solid week of focused work! Finish strong.");
    const std::vector<std::optional<DailyActivityData>> fiveDays{record, record, record, record, record};
    EXPECT_EQ(weeklyMessage(5, 1, fiveDays, creates({70, 70, 70, 70, 70})), "Push for a productive finish to your week.");
    // Before the first computation there is no chart data.
    EXPECT_EQ(weeklyMessage(2, 1, {}, {}), "Early in the week - time to build those creative habits.");
    EXPECT_EQ(weeklyMessage(6, 1, {}, {}), "Push for a productive finish to your week.");
}

EquatableWeeklyBarChart wrap(std::vector<std::optional<DailyActivityData>> days) {
    return EquatableWeeklyBarChart{.weekData = std::move(days)};
}

TEST_F(WeeklyChartDataTest, TheWrapperComparesOnlyPresenceAndSaveTimes) {
    const auto a = dayRecord("2026-12-07", shares(1, 1, 1), on7th(1));
    auto differentText = a;
    differentText.timeframes.begin()->second.promptResponse = "something else";
    auto savedAgain = a;
    savedAgain.lastUpdateTime = on7th(2);

    const auto base = wrap({a, std::nullopt});
    EXPECT_TRUE(base == wrap({differentText, std::nullopt}));
    EXPECT_FALSE(base == wrap({savedAgain, std::nullopt}));
    EXPECT_FALSE(base == wrap({std::nullopt, a}));
    EXPECT_FALSE(wrap({std::nullopt}) == wrap({std::nullopt, std::nullopt}));
    EXPECT_TRUE(wrap({}) == wrap({}));
}

} // namespace
} // namespace glimmo::testing
