// The scores, the breakdown and the activity lists: what they show for the model's state, and what
// taps, hovers and the search button do.

#include "analysis/ContentViewModel.h"
#include "tests/ui/Dashboard/DashboardTestSupport.h"
#include "ui/Dashboard/ActivitiesListView.h"
#include "ui/Dashboard/ActivityRow.h"
#include "ui/Dashboard/ScoresView.h"
#include "ui/Dashboard/TimeBreakdownView.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

constexpr double dimmed = 0.5;

ScoresView scores(bool loading) {
    return ScoresView{.focusScore = "B+", .totalComputerTime = 5400, .isLoading = loading,
                      .formatTime = [](std::int64_t s) { return ContentViewModel::formatTime(s); }};
}

std::vector<TimeBreakdownEntry> sampleBreakdown() {
    return {{"Create", 55, "Writing the quarterly report in the editor and reviewing pull requests"},
            {"Consume", 0, "Reading news"},
            {"Communicate", 45, "Mail and chat"}};
}

Activity activity(const std::string& description, std::int64_t seconds, std::optional<std::string> url) {
    Activity a;
    a.description = description;
    a.duration = seconds;
    a.searchUrl = std::move(url);
    return a;
}

using DashboardPiecesTest = DashboardFixture;

TEST_F(DashboardPiecesTest, ScoresShowTheGradeAndTheFormattedTimeAndDimOnlyTheDataWhileLoading) {
    HostedView idle(scores(false), {400, 120});
    const auto grade = idle.text("B+");
    ASSERT_TRUE(grade);
    EXPECT_EQ(grade->font.pointSize, 42);
    EXPECT_EQ(grade->font.weight, 700);
    EXPECT_DOUBLE_EQ(grade->opacity, 1);
    ASSERT_TRUE(idle.text("1h 30m"));
    EXPECT_EQ(idle.text("Focus Score")->font.pointSize, 14);

    HostedView loading(scores(true), {400, 120});
    EXPECT_DOUBLE_EQ(loading.text("B+")->opacity, dimmed);
    EXPECT_DOUBLE_EQ(loading.text("1h 30m")->opacity, dimmed);
    EXPECT_DOUBLE_EQ(loading.text("Focus Score")->opacity, 1);
    EXPECT_DOUBLE_EQ(loading.text("Computer Time")->opacity, 1);
}

TEST_F(DashboardPiecesTest, ScoresCarryTheirTooltipsOnTheWholeColumn) {
    HostedView view(scores(false), {400, 120});
    const auto caption = view.text("Focus Score");
    EXPECT_EQ(view.tooltipAt({caption->frame.midX(), caption->frame.midY()}),
              "Based on the ratio of creative work to other activities");
    const auto time = view.text("1h 30m");
    EXPECT_EQ(view.tooltipAt({time->frame.midX(), time->frame.midY()}), "Total time spent on computer today");
}

TEST_F(DashboardPiecesTest, BreakdownRowsStartClosedWithAOneLinePreview) {
    HostedView view(TimeBreakdownView{.activityBreakdown = sampleBreakdown()}, {300, 300});
    const auto header = view.text("HOW YOU USED YOUR TIME");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->font.pointSize, 10);
    EXPECT_EQ(header->color, Color::gray().resolve(ColorScheme::light));
    EXPECT_TRUE(view.shows("55%"));
    EXPECT_TRUE(view.shows("0%"));
    EXPECT_EQ(view.text("Create")->font.weight, 700);
    EXPECT_EQ(view.text("55%")->font.weight, 500);

    // The long description of the first row is cut on one line; the short ones fit.
    EXPECT_TRUE(view.shows("Reading news"));
    EXPECT_FALSE(view.shows("Writing the quarterly report in the editor and reviewing pull requests"));
    int chevronsRight = 0;
    for (const auto& t : shownTexts(view.displayList())) chevronsRight += t.text == symbolGlyph("chevron.right");
    EXPECT_EQ(chevronsRight, 3);
}

TEST_F(DashboardPiecesTest, TappingTheEmptySpaceOfAHeaderLineOpensTheRowAndShowsTheWholeDescription) {
    const std::string longText = "Writing the quarterly report in the editor and reviewing pull requests";
    HostedView view(TimeBreakdownView{.activityBreakdown = sampleBreakdown()}, {300, 400});
    const auto closedPercent = view.text("55%");
    view.click({280, closedPercent->frame.midY()});
    settle();
    const auto percent = view.text("55%");

    int chevronsDown = 0;
    std::string wrapped;
    for (const auto& t : shownTexts(view.displayList())) {
        chevronsDown += t.text == symbolGlyph("chevron.down");
        if (t.frame.minY() > percent->frame.maxY() && t.frame.minY() < view.text("0%")->frame.minY()) wrapped += t.text;
    }
    EXPECT_EQ(chevronsDown, 1);
    // The whole description, wrapped over several lines under the header, behind a dash.
    EXPECT_NE(wrapped.find("\u2014"), std::string::npos);
    EXPECT_NE(wrapped.find("quarterly"), std::string::npos);
    EXPECT_NE(wrapped.find("requests"), std::string::npos);
    // Indented behind the dash, which sits 16 points plus the default spacing right of the rows' leading
    // edge (where the section header starts).
    const auto dashes = shownTexts(view.displayList());
    const auto dash = std::find_if(dashes.begin(), dashes.end(), [&](const ShownText& t) {
        return t.text == "\u2014" && t.frame.minY() > percent->frame.maxY();
    });
    ASSERT_NE(dash, dashes.end());
    EXPECT_NEAR(dash->frame.minX(), view.text("HOW YOU USED YOUR TIME")->frame.minX() + 16 + 8, 1);

    // Tapping the opened description does nothing; tapping the header closes the row again.
    const auto description = view.text("requests");
    if (description) view.click({description->frame.midX(), description->frame.midY()});
    settle();
    int stillOpen = 0;
    for (const auto& t : shownTexts(view.displayList())) stillOpen += t.text == symbolGlyph("chevron.down");
    EXPECT_EQ(stillOpen, 1);

    view.clickText("Create");
    settle();
    int open = 0;
    for (const auto& t : shownTexts(view.displayList())) open += t.text == symbolGlyph("chevron.down");
    EXPECT_EQ(open, 0);
}

TEST_F(DashboardPiecesTest, BreakdownRowsOpenIndependentlyAndOnlyTheHeaderLineCarriesTheTooltip) {
    HostedView view(TimeBreakdownView{.activityBreakdown = sampleBreakdown()}, {300, 400});
    view.clickText("Consume");
    settle();
    view.clickText("Communicate");
    settle();
    int open = 0;
    for (const auto& t : shownTexts(view.displayList())) open += t.text == symbolGlyph("chevron.down");
    EXPECT_EQ(open, 2);
    const auto type = view.text("Communicate");
    EXPECT_EQ(view.tooltipAt({type->frame.midX(), type->frame.midY()}), "Mail and chat");
    // The opened description below the header has no tooltip of its own.
    std::optional<ShownText> below;
    for (const auto& t : shownTexts(view.displayList())) {
        if (t.text.find("Mail and chat") != std::string::npos && t.frame.minY() > type->frame.maxY()) below = t;
    }
    ASSERT_TRUE(below);
    EXPECT_EQ(view.tooltipAt({below->frame.midX(), below->frame.midY()}), std::nullopt);
}

TEST_F(DashboardPiecesTest, BreakdownDimsItsDataButNotItsHeaderWhileLoading) {
    HostedView view(TimeBreakdownView{.activityBreakdown = sampleBreakdown(), .isLoading = true}, {300, 300});
    EXPECT_DOUBLE_EQ(view.text("HOW YOU USED YOUR TIME")->opacity, 1);
    EXPECT_DOUBLE_EQ(view.text("55%")->opacity, dimmed);
    EXPECT_DOUBLE_EQ(view.text("Create")->opacity, dimmed);
    EXPECT_DOUBLE_EQ(view.text(symbolGlyph("chevron.right"))->opacity, dimmed);
    EXPECT_DOUBLE_EQ(view.text("Reading news")->opacity, dimmed);
}

TEST_F(DashboardPiecesTest, AnEmptyBreakdownShowsOnlyItsHeader) {
    HostedView view(TimeBreakdownView{}, {300, 200});
    const auto texts = shownTexts(view.displayList());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts.front().text, "HOW YOU USED YOUR TIME");
}

TEST_F(DashboardPiecesTest, ActivityListShowsRowsAndTheQueryTimeAtTheTrailingEdge) {
    const Date updated = on7th(14, 5);
    ActivitiesListView list{.activities = {activity("Drafting the design document", 5400, std::nullopt),
                                           activity("Reviewing mail", 900, std::nullopt)},
                            .lastUpdateTime = updated,
                            .formatQueryTime = [](Date d) { return ContentViewModel::formatQueryTime(d); }};
    HostedView view(list, {400, 300});
    EXPECT_TRUE(view.shows("WHAT YOU WERE DOING"));
    const auto time = view.text(ContentViewModel::formatQueryTime(updated));
    ASSERT_TRUE(time);
    EXPECT_EQ(time->font.pointSize, 10);
    EXPECT_NEAR(time->frame.maxX(), 400 - 16, 1);
    EXPECT_TRUE(view.shows("1h 30m"));
    EXPECT_TRUE(view.shows("15m"));
    EXPECT_FALSE(view.shows("PREVIOUS ACTIVITIES"));
    const auto duration = view.text("15m");
    EXPECT_EQ(view.tooltipAt({duration->frame.midX(), duration->frame.midY()}), "Time spent: 15m");
}

TEST_F(DashboardPiecesTest, RememberedActivitiesFollowUnderTheirOwnHeaderAndRedrawWhenTheHistoryChanges) {
    ActivitiesListView list{.activities = {activity("Today's work", 600, std::nullopt)},
                            .isLoading = true,
                            .lastUpdateTime = on7th(14),
                            .formatQueryTime = [](Date) { return std::string("(2:00 PM)"); }};
    HostedView view(list, {400, 400});
    EXPECT_FALSE(view.shows("PREVIOUS ACTIVITIES"));

    PreferencesModel::shared()->addHistoricalActivities({activity("Yesterday's planning", 3900, std::nullopt)}, "2026-12-06");
    settle();
    ASSERT_TRUE(view.shows("PREVIOUS ACTIVITIES"));
    EXPECT_TRUE(view.shows("Yesterday's planning"));
    EXPECT_TRUE(view.shows("2026-12-06"));
    EXPECT_EQ(view.text("2026-12-06")->font.pointSize, Font::pointSize(Font::TextStyle::caption));
    EXPECT_TRUE(view.shows("1h 5m"));
    // The day's rows are dimmed while loading; the remembered ones are not.
    EXPECT_DOUBLE_EQ(view.text("Today's work")->opacity, dimmed);
    EXPECT_DOUBLE_EQ(view.text("Yesterday's planning")->opacity, 1);
    EXPECT_DOUBLE_EQ(view.text(symbolGlyph("magnifyingglass"))->opacity, 1);
}

TEST_F(DashboardPiecesTest, TheSearchButtonOpensTheActivitysLinkAndNothingElse) {
    const std::string link = "https://chat.openai.com/?model=gpt-4&prompt=Drafting%20the%20design";
    HostedView view(VStack({ActivityRow{.activity = activity("With link", 60, link)},
                            ActivityRow{.activity = activity("Without link", 60, std::nullopt)},
                            ActivityRow{.activity = activity("Broken link", 60, "not a url at all")}}),
                    {400, 200});
    std::vector<ShownText> buttons;
    for (const auto& t : shownTexts(view.displayList())) {
        if (t.text == symbolGlyph("magnifyingglass")) buttons.push_back(t);
    }
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].color, Color::blue().resolve(ColorScheme::light));
    for (const auto& b : buttons) view.click({b.frame.midX(), b.frame.midY()});
    settle();
    EXPECT_EQ(sharedWorkspace->openedURLs(), std::vector<std::string>{link});
    EXPECT_EQ(view.tooltipAt({buttons[0].frame.midX(), buttons[0].frame.midY()}), "Search this activity");
}

TEST_F(DashboardPiecesTest, HoveringTheSearchButtonDarkensItsCircle) {
    HostedView view(ActivityRow{.activity = activity("Row", 60, std::nullopt)}, {300, 60});
    auto circleAlpha = [&view] {
        for (const auto& f : shownFills(view.displayList())) {
            if (f.color.red == 0 && f.color.green == 0 && f.color.blue == 0) return f.color.alpha * f.opacity;
        }
        return -1.0;
    };
    EXPECT_NEAR(circleAlpha(), 0.05, 1e-9);
    const auto glyph = view.text(symbolGlyph("magnifyingglass"));
    view.hover({glyph->frame.midX(), glyph->frame.midY()});
    settle();
    EXPECT_NEAR(circleAlpha(), 0.08, 1e-9);
    view.hover({5, 5});
    settle();
    EXPECT_NEAR(circleAlpha(), 0.05, 1e-9);
}

} // namespace
} // namespace glimmo::testing
