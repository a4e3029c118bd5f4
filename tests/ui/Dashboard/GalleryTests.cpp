// Sample renderings of the dashboard through the real Qt painter, checked against docs/ui-gallery/:
// the pieces on their own and the two dashboard layouts with an analysed day.

#include "analysis/ContentViewModel.h"
#include "tests/ui/Dashboard/DashboardTestSupport.h"
#include "ui/Dashboard/ActivitiesListView.h"
#include "ui/Dashboard/ClassicContentView.h"
#include "ui/Dashboard/ModernContentView.h"
#include "ui/Dashboard/ScoresView.h"
#include "ui/Dashboard/TimeBreakdownView.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

const std::string dayAnswer = R"({"categories": [
    {"type": "Create", "apps": "Code Editor, Terminal", "percentage": 60},
    {"type": "Communicate", "apps": "Slack", "percentage": 30},
    {"type": "Consume", "apps": "youtube", "percentage": 10}],
  "activities": [
    {"description": "Refactoring the parser", "apps": ["Code Editor"]},
    {"description": "Team chat", "apps": ["Slack"]}]})";

class DashboardGalleryTest : public DashboardFixture {
protected:
    DashboardGalleryTest() {
        addRecord("Code Editor", on7th(9), 7200);
        addRecord("Slack", on7th(11, 30), 3600);
        addRecord("youtube", on7th(13), 1200);
        ActivityDataManager::shared().savePromptResponse(dayAnswer, "2026-12-07");
        ActivityDataManager::shared().savePromptResponse(
            R"({"categories": [{"type": "Create", "percentage": 35}, {"type": "Consume", "percentage": 50},)"
            R"( {"type": "Communicate", "percentage": 15}]})",
            "2026-12-06");
    }
    std::function<void()> settler() {
        return [this] { settle(); };
    }
};

TEST_F(DashboardGalleryTest, Pieces) {
    const auto scores = renderToGallery(
        ScoresView{.focusScore = "B+", .totalComputerTime = 20100, .formatTime = [](std::int64_t s) {
                       return ContentViewModel::formatTime(s);
                   }},
        400, "scores", settler());
    EXPECT_GT(scores.height, 80);

    TimeBreakdownView breakdown{
        .activityBreakdown = {{"Create", 60, "Code Editor, Terminal: refactoring the parser and writing its tests"},
                              {"Communicate", 30, "Slack"},
                              {"Consume", 10, "youtube"}},
        .expandedCategories = State<std::set<std::string>>(std::set<std::string>{"Create"})};
    EXPECT_GT(renderToGallery(breakdown, 400, "time-breakdown", settler()).height, 80);

    Activity first;
    first.description = "Refactoring the parser";
    first.duration = 7200;
    first.searchUrl = "https://chat.openai.com/?model=gpt-4&prompt=Refactoring%20the%20parser";
    Activity second;
    second.description = "Team chat";
    second.duration = 2700;
    PreferencesModel::shared()->addHistoricalActivities({first}, "2026-12-06");
    ActivitiesListView list{.activities = {first, second},
                            .isLoading = true,
                            .lastUpdateTime = on7th(14, 5),
                            .formatQueryTime = [](Date d) { return ContentViewModel::formatQueryTime(d); }};
    EXPECT_GT(renderToGallery(list, 400, "activities-loading", settler()).height, 80);
}

TEST_F(DashboardGalleryTest, Layouts) {
    EXPECT_EQ(renderToGallery(ModernContentView(reader, monitor, service), 400, "modern", settler(), 700).height, 1400);
    EXPECT_EQ(renderToGallery(ClassicContentView(reader, monitor, service), 400, "classic", settler(), 700).height, 1400);
}

} // namespace
} // namespace glimmo::testing
