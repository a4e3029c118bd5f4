#include "tests/ui/Panels/PanelsFixture.h"

#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Calendar.h"
#include "ui/Panels/DataClearing.h"
#include "ui/Panels/JournalContentView.h"
#include "ui/Panels/JournalDayStepping.h"
#include "ui/Panels/JournalHighlightsView.h"
#include "ui/Panels/MediaDigestView.h"
#include "ui/Panels/TimeBreakdownRow.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

TEST(JournalDayStepping, NeverGoesPastTodayAndKeepsTheTimeOfDay) {
    const Calendar calendar("UTC", "en_US");
    const Date now = onThe7th(15);
    const Date yesterday = calendar.addingDays(now, -1);
    EXPECT_TRUE(isForwardDisabled(calendar, now, now));
    EXPECT_TRUE(isForwardDisabled(calendar, onThe7th(1), now)) << "any moment of today";
    EXPECT_FALSE(isForwardDisabled(calendar, yesterday, now));
    EXPECT_EQ(steppedDate(calendar, now, -1, now), yesterday);
    EXPECT_EQ(steppedDate(calendar, yesterday, 1, now), now) << "back to today at the same time";
    // From yesterday evening, a forward step lands on today's start rather than tonight.
    const Date lateYesterday = calendar.addingDays(onThe7th(23), -1);
    EXPECT_EQ(steppedDate(calendar, lateYesterday, 1, now), onThe7th(23)) << "today at 23:00 is still today";
    EXPECT_EQ(steppedDate(calendar, now, 1, now), calendar.startOfDay(now)) << "tomorrow becomes today's start";
    EXPECT_EQ(steppedDate(calendar, calendar.addingDays(now, -3), 5, now), calendar.startOfDay(now));
}

class PanelViewsTest : public PanelsFixture {};

// The journal of `date`, whose text the layout copies into `seen`.
struct JournalHost : View<JournalHost> {
    std::shared_ptr<UnifiedActivityService> service;
    Date date;
    std::shared_ptr<SharedText> seen;
    State<SharedText> text{SharedText()};
    AnyView body() const {
        *seen = *text;
        return JournalHighlightsView(date, service, nullptr, text.binding());
    }
};

TEST_F(PanelViewsTest, MediaDigestShowsTheSpinnerThenTheRecommendation) {
    world.answerGemini(200, geminiReplyWithText("Newsletter:<Stratechery>-> about strategy."), 0.2);
    auto t = host(MediaDigestView(reader, monitor), {400, 200});
    EXPECT_TRUE(shows(drawn(*t), "MEDIA RECOMMENDATIONS"));
    EXPECT_FALSE(shows(drawn(*t), "Stratechery"));
    ASSERT_TRUE(waitFor(*t, [&] { return shows(t->host().displayList(), "Stratechery"); }));
    const auto header = findText(drawn(*t), "MEDIA RECOMMENDATIONS");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->font.pointSize, 10);
    EXPECT_EQ(header->color, Color::gray().resolve(ColorScheme::light));
    EXPECT_EQ(findText(drawn(*t), "Stratechery")->font.pointSize, 13);
    EXPECT_EQ(world.geminiRequestCount(), 1u);
}

TEST_F(PanelViewsTest, MediaDigestFailureShowsTheFixedText) {
    world.answerGemini(500, R"({"error": {"code": 500, "message": "boom", "status": "INTERNAL"}})");
    auto t = host(MediaDigestView(reader, monitor), {400, 200});
    EXPECT_TRUE(waitFor(*t, [&] { return shows(t->host().displayList(), "Unable to generate recommendations"); }));
}

TEST_F(PanelViewsTest, MediaDigestShowsALongReplyCut) {
    std::string reply;
    for (int i = 0; reply.size() < 1000000; ++i) reply += "Book " + std::to_string(i) + ": worth reading.\n";
    world.answerGemini(200, geminiReplyWithText(reply));
    auto t = host(MediaDigestView(reader, monitor), {400, 200});
    ASSERT_TRUE(waitFor(*t, [&] { return shows(t->host().displayList(), "The rest of this reply ("); }));
    EXPECT_TRUE(shows(drawn(*t), "Book 0: worth reading."));
    EXPECT_FALSE(shows(drawn(*t), "Book 30000:"));
}

TEST_F(PanelViewsTest, JournalUsesAFreshCacheAndOtherwiseAsksAndSharesTheText) {
    const SharedText cached = "- **Cached** 📝: the day";
    JournalPromptCache::shared().saveResponse(cached, onThe7th(9));
    auto seen = std::make_shared<SharedText>();
    {
        auto t = host(JournalHost{{}, service, onThe7th(12), seen, {}}, {400, 300});
        EXPECT_TRUE(shows(drawn(*t), "Cached"));
        EXPECT_EQ(&**seen, &*cached) << "the layout's copy is the cached text itself, however long";
        EXPECT_EQ(world.openAIRequestCount(), 0u);
    }
    world.answerOpenAI(200, openAIReplyWithText("- **Yesterday** 🛠: built things\n- **Mail** ✉: answered"));
    const Date yesterday = Calendar::current().addingDays(onThe7th(12), -1);
    auto t = host(JournalHost{{}, service, yesterday, seen, {}}, {400, 300});
    ASSERT_TRUE(waitFor(*t, [&] { return **seen != *cached && !(*seen)->empty(); }));
    EXPECT_EQ(**seen, "- **Yesterday** 🛠: built things\n\n- **Mail** ✉: answered");
    EXPECT_EQ(world.openAIRequestCount(), 1u);
}

// Once a category change clears the journal cache, the journal view no longer shows the cleared journal.
TEST_F(PanelViewsTest, AClearedJournalIsNoLongerShown) {
    JournalPromptCache::shared().saveResponse("- **Cached** 📝: the day", onThe7th(9));
    auto seen = std::make_shared<SharedText>();
    auto t = host(JournalHost{{}, service, onThe7th(12), seen, {}}, {400, 300});
    ASSERT_TRUE(shows(drawn(*t), "Cached"));
    clearDataForCategoryChange(*service);
    EXPECT_FALSE(shows(drawn(*t), "Cached"));
    EXPECT_TRUE((*seen)->empty()) << "nor does the layout's copy hold it";
}

// cmark-gfm takes quadratic time on unclosed image brackets: this reply alone would hold a parser for
// many seconds.
TEST_F(PanelViewsTest, AHostileJournalIsCutAndShownWhileTheWindowGoesOnAnswering) {
    std::string hostile;
    for (int i = 0; i < 40000; ++i) hostile += "![[]()";
    JournalPromptCache::shared().saveResponse(hostile, onThe7th(9));
    auto seen = std::make_shared<SharedText>();
    TestHost t(JournalHost{{}, service, onThe7th(12), seen, {}}, {400, 300});
    const auto laidOutWhole = [&] { t.host().update(); return **seen == hostile; };
    ASSERT_TRUE(loop->runUntil(laidOutWhole, 20)) << "the layout's copy holds the whole reply";
    EXPECT_FALSE(shows(t.host().displayList(), "![")) << "not parsed while the window was laid out";
    const std::string note = "The rest of this reply (";
    bool served = false; // while the reply is still being parsed, not after it
    loop->post([&] { t.host().update(); served = !shows(t.host().displayList(), note); });
    loop->runUntilIdle();
    EXPECT_TRUE(served);

    ASSERT_TRUE(waitFor(t, [&] { return shows(t.host().displayList(), note); }));
    EXPECT_TRUE(shows(drawn(t), "![![!["));
    EXPECT_EQ(**JournalPromptCache::shared().getResponse(onThe7th(9)).first, hostile) << "what is stored stays whole";
}

TEST_F(PanelViewsTest, BreakdownRowOpensOnATapAnywhereOnItsLine) {
    const TimeBreakdownEntry entry{"Create", 45, "Writing the quarterly report in the editor and reviewing pull requests"};
    auto t = host(AnyView(TimeBreakdownRow(entry)), {300, 120});
    EXPECT_TRUE(shows(drawn(*t), "45% Create"));
    EXPECT_EQ(findText(drawn(*t), "45% Create")->font.pointSize, 16);
    EXPECT_EQ(findText(drawn(*t), "45% Create")->font.weight, 500);
    const auto preview = findText(drawn(*t), "Writing");
    ASSERT_TRUE(preview);
    EXPECT_NE(preview->text, entry.description) << "closed, the description is cut on one line";
    const CGRect row = t->frame("row Create");
    t->clickAt({row.maxX() - 5, row.midY()}); // the empty space right of the texts
    loop->advance(1);
    settle(*t);
    const auto title = findText(drawn(*t), "45% Create");
    std::string below;
    for (const auto& line : shownTexts(drawn(*t))) {
        if (line.origin.y > title->origin.y + 1) below += line.text + " ";
    }
    EXPECT_NE(below.find("quarterly"), std::string::npos) << "open, the whole description wraps below the title";
    EXPECT_NE(below.find("requests"), std::string::npos);
    ASSERT_TRUE(t->host().tooltip()) << "the pointer rests on the line";
    EXPECT_EQ(t->host().tooltip()->text, entry.description);
}

TEST_F(JournalLayoutTest, StepsBetweenDaysAndNeverPastToday) {
    auto t = host(JournalContentView(reader, monitor, service), {400, 700});
    ASSERT_TRUE(waitFor(*t, [&] { return shows(t->host().displayList(), "wrote the report"); }));
    EXPECT_TRUE(shows(drawn(*t), "What You Did"));
    EXPECT_TRUE(shows(drawn(*t), "December 7"));
    EXPECT_TRUE(shows(drawn(*t), "HOW YOU USED YOUR TIME"));
    t->click("next day");
    EXPECT_TRUE(shows(drawn(*t), "December 7")) << "the forward arrow is disabled on today";
    t->click("previous day");
    settle(*t);
    EXPECT_TRUE(shows(drawn(*t), "December 6"));
    loop->advance(ShownDayWork::settleSeconds); // the 6th stays shown
    ASSERT_TRUE(waitFor(*t, [&] { return world.openAIRequestCount() == 2 && shows(t->host().displayList(), "wrote the report"); }))
        << "the 6th's journal is asked for";
    t->click("next day");
    t->click("next day");
    settle(*t);
    EXPECT_TRUE(shows(drawn(*t), "December 7"));
    EXPECT_TRUE(shows(drawn(*t), "wrote the report"));
    EXPECT_EQ(world.openAIRequestCount(), 2u) << "today's journal comes from the cache";
}

TEST_F(JournalLayoutTest, SteppingADayEmptiesTheBreakdownAndShowsTheSpinnerUntilTheNewDayIsIn) {
    const std::string answer = R"({"categories": [{"type": "Create", "apps": "Code Editor"}, {"type": "Communicate", "apps": "Slack"}],
                                   "activities": [{"description": "Refactoring the parser", "apps": ["Code Editor"]}]})";
    world.addRecord("Code Editor", onThe7th(9), 7200);
    world.addRecord("Slack", onThe7th(11), 3600);
    world.addRecord("Code Editor", onThe7th(9).addingTimeInterval(-86400), 3600);
    world.answerGemini(200, geminiReplyWithText(answer));
    auto t = host(JournalContentView(reader, monitor, service), {400, 700});
    ASSERT_TRUE(waitFor(*t, [&] { return shows(t->host().displayList(), "67% Create"); }));
    EXPECT_FALSE(t->has("loading"));

    world.answerGemini(200, geminiReplyWithText(answer), 0.5);
    t->click("previous day");
    settle(*t);
    EXPECT_FALSE(shows(drawn(*t), "% Create")) << "the rows go at once";
    EXPECT_TRUE(t->has("loading"));
    loop->advance(ShownDayWork::settleSeconds);
    EXPECT_TRUE(t->has("loading"));
    ASSERT_TRUE(waitFor(*t, [&] { return !t->has("loading"); }));
    EXPECT_TRUE(shows(drawn(*t), "100% Create")) << "the 6th had only the editor";
    EXPECT_TRUE(shows(drawn(*t), "December 6"));
}

// Clicks on the day arrow closer together than a day takes to settle: neither the analysis nor the journal
// of a day passed over is asked for, however quickly its report is made; the day landed on gets both.
TEST_F(JournalLayoutTest, QuickClicksAskNothingForTheDaysPassedOver) {
    auto t = host(JournalContentView(reader, monitor, service), {400, 700});
    ASSERT_TRUE(waitFor(*t, [&] { return shows(t->host().displayList(), "wrote the report"); }));
    const std::size_t analyses = world.geminiRequestCount();
    const std::size_t journals = world.openAIRequestCount();
    for (int step = 0; step < 8; ++step) {
        t->click("previous day");
        // Time enough for a day's report to be made and its requests sent, before the next click.
        loop->runUntil(
            [&] {
                t->host().update();
                return false;
            },
            0.05);
        loop->advance(ShownDayWork::settleSeconds / 5);
    }
    loop->advance(ShownDayWork::settleSeconds);
    ASSERT_TRUE(waitFor(*t, [&] { return world.geminiRequestCount() > analyses && shows(t->host().displayList(), "wrote the report"); }))
        << "the day landed on is analysed and its journal shown";
    EXPECT_EQ(world.geminiRequestCount(), analyses + 1);
    EXPECT_EQ(world.openAIRequestCount(), journals + 1);
    EXPECT_TRUE(shows(drawn(*t), "November 29"));
}

TEST_F(JournalLayoutTest, CopyPutsTheJournalSummaryOnThePasteboard) {
    auto t = host(JournalContentView(reader, monitor, service), {400, 700});
    ASSERT_TRUE(waitFor(*t, [&] { return shows(t->host().displayList(), "wrote the report"); }));
    const CGRect copy = t->frame("copy"); // the symbol, then 8 points of padding
    ASSERT_GT(copy.width(), 8);
    t->clickAt({copy.maxX() - 2, copy.midY()}); // in the padding, past the symbol
    const auto copied = world.pasteboard().string();
    ASSERT_TRUE(copied) << "a click in the padding copies";
    EXPECT_NE(copied->find("wrote the report"), std::string::npos);
    EXPECT_EQ(world.pasteboard().clearCount(), 1);
    t->clickAt({copy.minX() + 2, copy.midY()}); // on the symbol
    EXPECT_EQ(world.pasteboard().clearCount(), 2);
}

TEST_F(JournalLayoutTest, TheChartsHeadingNamesTheShownDay) {
    auto t = host(JournalContentView(reader, monitor, service), {400, 700});
    t->click("previous day");
    loop->advance(ShownDayWork::settleSeconds);
    settle(*t);
    const CGRect tabs = t->frame("tabs");
    t->clickAt({tabs.midX(), tabs.midY()}); // the middle segment: Charts
    EXPECT_TRUE(shows(drawn(*t), "Weekly Activity (for week of December 6)"));
    EXPECT_TRUE(shows(drawn(*t), "App Focus"));
    EXPECT_TRUE(shows(drawn(*t), "MEDIA RECOMMENDATIONS"));
    waitFor(*t, [&] { return world.geminiRequestCount() >= 1; });
}

// The journal layout with its charts tab chosen.
struct ChartsTabOf : View<ChartsTabOf> {
    ChartsTabOf(std::shared_ptr<ChromeHistoryReader> r, std::shared_ptr<ActivityMonitor> m, std::shared_ptr<UnifiedActivityService> s)
        : layout(std::move(r), std::move(m), std::move(s)) {
        layout.selectedTab.set(1);
    }
    JournalContentView layout;
    AnyView body() const { return layout; }
};

TEST_F(PanelViewsTest, Screenshots) {
    world.answerOpenAI(200, openAIReplyWithText(
        "- **Quarterly report** 📊: drafted the revenue section in the shared document\n"
        "- **Code review** 🛠: reviewed the sync service pull request and left notes on retries"));
    world.answerGemini(200, geminiReplyWithText(
        "Newsletter:<Stratechery>-> Strategy essays that match your reading on platforms.\n\n"
        "Podcast:<Acquired>-> Long histories of companies you keep looking up.\n\n"
        "Book:<The Design of Everyday Things>-> For the interface work in your editor."),
        0.3); // replies come after the scene is built, as they do in a fast build: the scenes wait for them
    {
        auto t = host(JournalContentView(reader, monitor, service), {400, 700});
        waitFor(*t, [&] { return world.openAIRequestCount() >= 1; });
    }
    expectGalleryShot(AnyView(JournalContentView(reader, monitor, service)), {400, 700}, "panels-journal", loop);
    expectGalleryShot(AnyView(VStack({TimeBreakdownRow({"Create", 45, "Writing the quarterly report and reviewing code"}),
                                     TimeBreakdownRow({"Consume", 35, "Reading articles about platforms"}, true),
                                     TimeBreakdownRow({"Communicate", 20, "Mail and chat"})})
                                 .padding()),
                     {400, 160}, "panels-breakdown-rows", loop);
    expectGalleryShot(AnyView(MediaDigestView(reader, monitor)), {400, 170}, "panels-media-digest", loop,
                     [](const DisplayList& list) { return shows(list, "Stratechery"); });
    expectGalleryShot(AnyView(ChartsTabOf(reader, monitor, service)), {400, 700}, "panels-journal-charts", loop,
                     [](const DisplayList& list) { return shows(list, "Acquired"); });
}

} // namespace
} // namespace glimmo::testing
