#include "analysis/DaySummaries.h"

#include "platform/desktop/fakes/FakePasteboard.h"
#include "platform/foundation/DateFormatting.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

std::vector<Category> summaryCategories() {
    return {{UUID::random(), "Create", true}, {UUID::random(), "Consume", false}, {UUID::random(), "Communicate", true}};
}

Activity activity(std::string description, std::int64_t seconds) {
    Activity result;
    result.description = std::move(description);
    result.duration = seconds;
    return result;
}

TEST(FocusGrade, Boundaries) {
    const std::vector<std::pair<int, std::string>> expected = {
        {100, "A+"}, {80, "A+"}, {79, "A"}, {70, "A"}, {69, "A-"}, {60, "A-"}, {59, "B+"}, {50, "B+"}, {49, "B"},
        {40, "B"},   {39, "B-"}, {30, "B-"}, {29, "C+"}, {25, "C+"}, {24, "C"}, {20, "C"}, {19, "C-"}, {15, "C-"},
        {14, "D+"},  {10, "D+"}, {9, "D"},   {5, "D"},   {4, "F"},   {0, "F"},  {-3, "F"}};
    for (const auto& [percent, grade] : expected) {
        EXPECT_EQ(focusGrade(percent), grade) << percent;
    }
}

TEST(FocusScore, PositiveRowsCountElseCreateAndCommunicate) {
    const auto categories = summaryCategories();
    EXPECT_EQ(focusScore({{"Create", 40, ""}, {"Consume", 40, ""}, {"Communicate", 20, ""}}, categories, 0, 0), "A-");
    // Positive rows summing to 0 fall back to the two named rows' percents.
    EXPECT_EQ(focusScore({{"Create", 0, ""}, {"Consume", 100, ""}}, categories, 20, 6), "C+");
    EXPECT_EQ(focusScore({}, categories, 0, 0), "F");
    // A row naming no user category never counts; of two equal names the first decides.
    EXPECT_EQ(focusScore({{"Gaming", 90, ""}}, categories, 0, 0), "F");
    std::vector<Category> duplicated = {{UUID::random(), "Create", false}, {UUID::random(), "Create", true}};
    EXPECT_EQ(focusScore({{"Create", 90, ""}}, duplicated, 0, 0), "F");
}

TEST(Formatters, TimeAndQueryTime) {
    EXPECT_EQ(formatTime(0), "0m");
    EXPECT_EQ(formatTime(59), "0m");
    EXPECT_EQ(formatTime(3599), "59m");
    EXPECT_EQ(formatTime(3600), "1h 0m");
    EXPECT_EQ(formatTime(7265), "2h 1m");
    EXPECT_EQ(formatTime(90000), "25h 0m");

    setDefaultTimeZone("UTC");
    setDefaultLocale("en_US");
    EXPECT_EQ(formatQueryTime(Date::fromUnixTime(1796601600.0 + 13 * 3600 + 5 * 60)), "(1:05 PM)");
    setDefaultTimeZone("");
    setDefaultLocale("");
}

TEST(ReportSummary, WithAndWithoutData) {
    EXPECT_EQ(reportSummary({}, {}),
              "HOW YOU USED YOUR TIME:\nNo time breakdown data available.\n\nWHAT YOU WERE DOING:\nNo specific activities detected.\n");
    EXPECT_EQ(reportSummary({{"Create", 60, "Editor, Terminal"}, {"Consume", 40, "youtube.com"}},
                            {activity("Reviewing", 90), activity("Writing", 5400)}),
              "HOW YOU USED YOUR TIME:\n- 60% Create: Editor, Terminal\n- 40% Consume: youtube.com\n\n"
              "WHAT YOU WERE DOING:\n- Reviewing (1m)\n- Writing (1h 30m)\n");
}

TEST(JournalSummary, EndsWhereTheHighlightsEnd) {
    EXPECT_EQ(journalSummary({}, ""),
              "HOW YOU USED YOUR TIME:\nNo time breakdown data available.\n\n🚀 PROJECTS & WORK HIGHLIGHTS:\nNo highlights available.\n");
    EXPECT_EQ(journalSummary({{"Create", 100, "Editor"}}, "- **Docs** 📝: wrote"),
              "HOW YOU USED YOUR TIME:\n- 100% Create: Editor\n\n🚀 PROJECTS & WORK HIGHLIGHTS:\n- **Docs** 📝: wrote");
}

TEST(Pasteboard, CopyReplacesTheContents) {
    const auto pasteboard = std::make_shared<FakePasteboard>();
    Pasteboard::setShared(pasteboard);
    pasteboard->setString("old");
    copyToPasteboard("HOW YOU USED YOUR TIME:\n");
    EXPECT_EQ(pasteboard->string(), "HOW YOU USED YOUR TIME:\n");
    EXPECT_EQ(pasteboard->clearCount(), 1);
    Pasteboard::setShared(nullptr);
}

} // namespace
} // namespace glimmo
