// The menu-bar window's content: the layout chosen by the stored style, the refresh each layout runs
// when shown, the Modern layout's tabs and copy button, and the Classic layout's panel menu.

#include "analysis/ContentViewModel.h"
#include "platform/foundation/Calendar.h"
#include "tests/ui/Dashboard/DashboardTestSupport.h"
#include "ui/Dashboard/ClassicContentView.h"
#include "ui/Dashboard/ContentView.h"
#include "ui/Dashboard/DashboardLayoutParts.h"
#include "ui/Dashboard/DashboardRefresh.h"
#include "ui/Dashboard/ModernContentView.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

const std::string storedAnswer =
    R"({"categories": [{"type": "Consume", "apps": "Slack", "percentage": 100}], "activities": []})";
const char* modernTitle = "Modern View - Header removed temporarily";
const char* classicTitle = "Classic View - Main Content removed temporarily";

class LayoutsTest : public DashboardFixture {
protected:
    LayoutsTest() { ActivityDataManager::shared().savePromptResponse(storedAnswer, "2026-12-07"); }

    ContentView root() {
        return ContentView{.preferences = StateObject<PreferencesModel>([] { return PreferencesModel::shared(); }),
                           .chromeReader = reader,
                           .activityMonitor = monitor,
                           .unifiedActivityService = service};
    }
    // The summary a model of the same day gives, after its own analysis when `analysed`.
    std::string expectedSummary(bool analysed) {
        auto model = std::make_shared<ContentViewModel>(service);
        if (analysed) run(model->refreshAnalysis());
        return model->generateReportSummary();
    }
    static std::optional<ShownText> glyph(HostedView& view, const char* symbol) { return view.text(symbolGlyph(symbol)); }
};

TEST_F(LayoutsTest, TheStoredStyleChoosesTheLayoutAndASwitchMakesAFreshOne) {
    PreferencesModel::shared()->viewStyle = ViewStyle::modern;
    HostedView view(root(), {400, 700});
    EXPECT_TRUE(view.shows(modernTitle));
    settle();
    EXPECT_TRUE(view.shows("F")); // the stored answer, all Consume, analysed by the refresh

    PreferencesModel::shared()->viewStyle = ViewStyle::classic;
    EXPECT_TRUE(view.shows(classicTitle));
    EXPECT_FALSE(view.shows(modernTitle));
    EXPECT_TRUE(view.shows(ContentViewModel::noGrade)); // a new view model, not yet refreshed
    settle();
    EXPECT_TRUE(view.shows("F"));

    PreferencesModel::shared()->viewStyle = ViewStyle::journal;
    EXPECT_FALSE(view.shows(classicTitle));
    EXPECT_FALSE(view.shows(modernTitle));
    EXPECT_TRUE(view.shows("What You Did"));
}

TEST_F(LayoutsTest, AfterMidnightTodayMovesOnAndAFailedAnalysisShowsNoGrade) {
    answerGemini(500, R"({"error": {"code": 500, "message": "boom", "status": "INTERNAL"}})");
    const auto model = std::make_shared<ContentViewModel>(service); // the 7th, 15:00
    loop->advance(18 * 3600);
    run(refreshDashboard(reader, model));
    EXPECT_EQ(model->displayDate.get(), on7th(24));
    EXPECT_EQ(model->dateRange(model->displayDate.get()), std::make_pair(on7th(24), on7th(33)));

    // The 8th has no stored answer and its analysis fails: no grade, rather than the initial one.
    HostedView view(ClassicContentView(reader, monitor, service), {400, 700});
    settle();
    EXPECT_TRUE(view.shows(ContentViewModel::noGrade));
    EXPECT_FALSE(view.shows("A+"));
}

TEST_F(LayoutsTest, ShowingTheModernLayoutAnalysesTheDayAndLoadsTheWeek) {
    HostedView view(ModernContentView(reader, monitor, service), {400, 700});
    settle();
    // The day has no recorded activity, so the analysis gives its untracked row.
    EXPECT_TRUE(view.shows("100%"));
    EXPECT_TRUE(view.shows("Untracked"));
    EXPECT_TRUE(view.shows("WHAT YOU WERE DOING"));
    for (const char* tab : {"Lumadex", "Charts", "Chat"}) EXPECT_TRUE(view.shows(tab)) << tab;

    view.clickText("Charts");
    settle();
    for (const char* title : {"Weekly Activity", "App Focus", "Media Digest", "WEEKLY FOCUS BREAKDOWN",
                              "TODAY'S CONTEXT SWITCHES"}) {
        EXPECT_TRUE(view.shows(title)) << title;
    }
    EXPECT_EQ(view.text("Weekly Activity")->font.weight, 700);
    EXPECT_FALSE(view.shows("WHAT YOU WERE DOING"));
    // Today's stored day reached the weekly chart: a full Consume bar.
    const RGBA consume{229 / 255.0, 87 / 255.0, 76 / 255.0, 1};
    bool consumeBar = false;
    for (const auto& fill : shownFills(view.displayList())) {
        consumeBar |= std::abs(fill.color.red - consume.red) < 0.01 && std::abs(fill.color.green - consume.green) < 0.01 &&
                      fill.bounds.height() > 50;
    }
    EXPECT_TRUE(consumeBar);

    view.clickText("Chat");
    settle();
    EXPECT_TRUE(view.shows("Type your message..."));
    EXPECT_FALSE(view.shows("Weekly Activity"));
}

TEST_F(LayoutsTest, TheCopyButtonPutsTheReportSummaryOnThePasteboard) {
    HostedView view(ModernContentView(reader, monitor, service), {400, 700});
    // Before any analysis the summary of the empty state is copied, never nothing.
    const auto button = glyph(view, "doc.on.doc");
    ASSERT_TRUE(button);
    view.click({button->frame.midX(), button->frame.midY()});
    EXPECT_EQ(pasteboard->string(), expectedSummary(false));
    EXPECT_EQ(pasteboard->clearCount(), 1);

    settle();
    const auto analysed = glyph(view, "doc.on.doc");
    view.click({analysed->frame.midX(), analysed->frame.midY()});
    EXPECT_EQ(pasteboard->string(), expectedSummary(true));
    EXPECT_EQ(pasteboard->clearCount(), 2);
}

TEST_F(LayoutsTest, HoveringTheCopyButtonTurnsItFullyOrange) {
    HostedView view(ModernContentView(reader, monitor, service), {400, 700});
    const RGBA orange = Color::orange().resolve(ColorScheme::light);
    const auto icon = glyph(view, "doc.on.doc");
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->font.pointSize, 16);
    EXPECT_NEAR(icon->color.alpha, 0.7 * orange.alpha, 1e-6);
    EXPECT_EQ(view.tooltipAt({icon->frame.midX(), icon->frame.midY()}), "Copy Report Summary");
    settle();
    EXPECT_NEAR(glyph(view, "doc.on.doc")->color.alpha, orange.alpha, 1e-6);
    view.hover({5, 690});
    settle();
    EXPECT_NEAR(glyph(view, "doc.on.doc")->color.alpha, 0.7 * orange.alpha, 1e-6);
}

TEST_F(LayoutsTest, TheClassicMenuListsTheFivePanelsAndStoresTheChoice) {
    {
        // The stored choice of a first launch is the weekly graph.
        HostedView first(ClassicContentView(reader, monitor, service), {400, 700});
        settle();
        EXPECT_TRUE(first.shows(classicTitle));
        EXPECT_TRUE(first.shows("Weekly Graph"));
        EXPECT_TRUE(first.shows("WEEKLY FOCUS BREAKDOWN"));
    }
    // With no panel below it, the open list is the topmost thing under the pointer.
    UserDefaults::standard().set("selectedBottomComponent", "None");
    HostedView view(ClassicContentView(reader, monitor, service), {400, 700});
    settle();
    EXPECT_FALSE(view.shows("WEEKLY FOCUS BREAKDOWN"));
    EXPECT_FALSE(view.shows("Coming Soon!"));

    view.clickText("None");
    settle();
    const std::vector<std::string> items{"None", "Weekly Graph", "App Focus", "Media Digest", "Coming Soon"};
    double lastY = -1;
    for (const auto& item : items) {
        double y = -1;
        for (const auto& t : shownTexts(view.displayList())) {
            if (t.text == item && t.frame.minY() > lastY) {
                y = t.frame.minY();
                break;
            }
        }
        EXPECT_GT(y, lastY) << item;
        lastY = y;
    }

    view.clickText("Coming Soon");
    settle();
    EXPECT_TRUE(view.shows("Coming Soon!"));
    EXPECT_EQ(UserDefaults::standard().string("selectedBottomComponent"), "Coming Soon");

    // A choice made elsewhere (the preferences window) shows at once.
    UserDefaults::standard().set("selectedBottomComponent", "Weekly Graph");
    settle();
    EXPECT_TRUE(view.shows("WEEKLY FOCUS BREAKDOWN"));
}

TEST_F(LayoutsTest, TheChatTimeframeNamesTheLocalDateOfTheShownDay) {
    setDefaultTimeZone("Europe/Berlin");
    EXPECT_EQ(dashboard::chatTimeframe(Calendar::current().startOfDay(on7th(15))), "2026-12-07");
    setDefaultTimeZone("America/New_York");
    EXPECT_EQ(dashboard::chatTimeframe(Calendar::current().startOfDay(on7th(15))), "2026-12-07");
    setDefaultTimeZone("UTC");
    EXPECT_EQ(dashboard::chatTimeframe(Calendar::current().startOfDay(on7th(15))), "2026-12-07");
}

} // namespace
} // namespace glimmo::testing
