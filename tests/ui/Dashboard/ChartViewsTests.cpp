// The weekly bar chart and the hourly switch chart as views: what they show before and after they
// have appeared, their labels and colours, and when they compute again.

#include "tests/ui/Dashboard/DashboardTestSupport.h"
#include "ui/Dashboard/AppFocusView.h"
#include "ui/Dashboard/EquatableWeeklyBarChart.h"
#include "ui/Dashboard/WeeklyBarChart.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

const RGBA consume{229 / 255.0, 87 / 255.0, 76 / 255.0, 1};
const RGBA create{255 / 255.0, 217 / 255.0, 155 / 255.0, 1};
const RGBA communicate{252 / 255.0, 148 / 255.0, 121 / 255.0, 1};

bool close(const RGBA& a, const RGBA& b) {
    return std::abs(a.red - b.red) < 0.01 && std::abs(a.green - b.green) < 0.01 && std::abs(a.blue - b.blue) < 0.01 &&
           std::abs(a.alpha - b.alpha) < 0.01;
}

std::string answerWith(int create, int communicate, int consume) {
    return R"({"categories": [{"type": "Create", "percentage": )" + std::to_string(create) +
           R"(}, {"type": "Communicate", "percentage": )" + std::to_string(communicate) +
           R"(}, {"type": "Consume", "percentage": )" + std::to_string(consume) + "}]}";
}

// A parent whose own state changes redraw it while the week it hands on stays the same.
struct WeekHolder : View<WeekHolder> {
    std::vector<std::optional<DailyActivityData>> weekData;
    State<int> redraws{0};
    AnyView body() const {
        const auto count = redraws;
        return VStack({Button("Redraw " + std::to_string(*redraws), [count] { count.set(*count + 1); }),
                       EquatableWeeklyBarChart{.weekData = weekData}});
    }
};

class ChartViewsTest : public DashboardFixture {
protected:
    std::vector<std::optional<DailyActivityData>> week() {
        return {dayRecord("2026-12-07", answerWith(60, 20, 20), on7th(10)), std::nullopt,
                dayRecord("2026-12-06", answerWith(10, 10, 80), on7th(1).addingTimeInterval(-86400))};
    }
    static double barArea(const std::vector<ShownFill>& fills, const RGBA& colour) {
        double area = 0;
        for (const auto& f : fills) {
            if (close(f.color, colour)) area += f.bounds.width() * f.bounds.height();
        }
        return area;
    }
};

TEST_F(ChartViewsTest, TheWeeklyChartShowsLoadingUntilItHasAppearedThenTheWeekInStackedBars) {
    HostedView view(WeeklyBarChart(week()), {400, 300});
    EXPECT_TRUE(view.shows("WEEKLY FOCUS BREAKDOWN"));
    EXPECT_EQ(view.text("WEEKLY FOCUS BREAKDOWN")->font.pointSize, 10);
    settle();
    EXPECT_FALSE(view.shows("Loading data..."));
    for (const char* day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}) EXPECT_TRUE(view.shows(day)) << day;
    // Monday, the second day of the week, with Sunday recorded: (10 + 60) / 2 = 35.
    EXPECT_TRUE(view.showsWrapped("Early in the week - time to build those creative habits."));
    const auto tip = view.text("Tip:");
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->color, Color::red().resolve(ColorScheme::light));
    EXPECT_EQ(tip->font.weight, 500);

    const auto fills = shownFills(view.displayList());
    // Sunday's bar is mostly Consume, Monday's mostly Create.
    EXPECT_GT(barArea(fills, consume), barArea(fills, communicate));
    EXPECT_GT(barArea(fills, create), barArea(fills, communicate));
    EXPECT_GT(barArea(fills, communicate), 0);
    // Each weekday's label sits centred under its bar.
    for (const char* day : {"Sun", "Mon"}) {
        const CGFloat labelMiddle = view.text(day)->frame.midX();
        EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [&](const ShownFill& f) {
            return close(f.color, consume) && std::abs(f.bounds.midX() - labelMiddle) < 1;
        })) << day;
    }
}

TEST_F(ChartViewsTest, InAWeekStartingOnMondayTheTipCountsTheChartsOwnDays) {
    setDefaultLocale("en_GB");
    // Monday opens the week: Sunday's record belongs to the week before.
    const std::vector<std::optional<DailyActivityData>> monday{dayRecord("2026-12-07", answerWith(71, 0, 29), on7th(10)),
                                                               dayRecord("2026-12-06", answerWith(0, 0, 100), on7th(1))};
    HostedView mondayView(WeeklyBarChart(monday), {400, 300});
    settle();
    EXPECT_TRUE(mondayView.showsWrapped("Coming in strong this week! Keep up the creative momentum."));

    setDefaultLocale("de_DE");
    loop->advance(2 * 86400);
    const std::vector<std::optional<DailyActivityData>> wednesday{dayRecord("2026-12-09", answerWith(80, 0, 20), on7th(10))};
    HostedView wednesdayView(WeeklyBarChart(wednesday), {400, 300});
    settle();
    EXPECT_TRUE(wednesdayView.showsWrapped("Killed it on Wednesday! Strong midweek focus."));
}

TEST_F(ChartViewsTest, BeforeItHasAppearedTheChartSaysItIsLoading) {
    // Without running the main loop, the appearance task has not run yet.
    HostedView view(WeeklyBarChart(week()), {400, 300});
    EXPECT_TRUE(view.shows("Loading data..."));
    EXPECT_FALSE(view.shows("Mon"));
}

TEST_F(ChartViewsTest, AnEqualWeekKeepsTheChartWithoutReadingTheAnswersAgain) {
    HostedView view(WeekHolder{.weekData = week()}, {400, 400});
    settle();
    const auto before = view.bodyEvaluations();
    view.clickText("Redraw 0");
    settle();
    ASSERT_TRUE(view.shows("Redraw 1"));
    // Only the holder's body ran again.
    EXPECT_EQ(view.bodyEvaluations() - before, 1u);
}

TEST_F(ChartViewsTest, TheHourlyChartLabelsEveryThirdHourAndKeepsItsSnapshotWhileShown) {
    auto record = [this](const std::string& app, Date at) {
        auto r = std::make_shared<ActivityRecord>(UUID::random(), app, at, "");
        monitor->activityRecords.modify([&](auto& records) { records.insert(records.begin(), r); });
    };
    record("Editor", on7th(9, 10));
    record("Browser", on7th(9, 20));

    struct Toggled : View<Toggled> {
        State<bool> shown{true};
        std::shared_ptr<ChromeHistoryReader> reader;
        std::shared_ptr<ActivityMonitor> monitor;
        AnyView body() const {
            const auto flag = shown;
            return VStack({Button("Toggle", [flag] { flag.set(!*flag); }),
                           If(*shown, [this] { return AppFocusView(reader, monitor); })});
        }
    };
    HostedView view(Toggled{.reader = reader, .monitor = monitor}, {400, 260});
    settle();
    EXPECT_TRUE(view.shows("TODAY'S CONTEXT SWITCHES"));
    for (const char* label : {"00:00", "03:00", "06:00", "09:00", "12:00", "15:00", "18:00", "21:00"}) {
        const auto text = view.text(label);
        ASSERT_TRUE(text) << label;
        EXPECT_EQ(text->font.pointSize, 10);
    }
    const auto yLabelsBefore = shownTexts(view.displayList());
    auto hasLabel = [](const std::vector<ShownText>& texts, const std::string& s) {
        return std::any_of(texts.begin(), texts.end(), [&](const ShownText& t) { return t.text == s; });
    };
    EXPECT_TRUE(hasLabel(yLabelsBefore, "1"));

    // New switches while shown leave the chart as it was; showing it again counts them.
    record("Editor", on7th(10, 10));
    record("Browser", on7th(10, 20));
    record("Editor", on7th(10, 30));
    record("Browser", on7th(10, 40));
    settle();
    EXPECT_FALSE(hasLabel(shownTexts(view.displayList()), "3"));
    view.clickText("Toggle");
    settle();
    EXPECT_FALSE(view.shows("TODAY'S CONTEXT SWITCHES"));
    view.clickText("Toggle");
    settle();
    EXPECT_TRUE(hasLabel(shownTexts(view.displayList()), "3"));
}

TEST_F(ChartViewsTest, GalleryOfTheCharts) {
    const auto image = renderToGallery(WeeklyBarChart(week()), 400, "weekly-bar-chart", [this] { settle(); });
    EXPECT_GT(image.height, 100);

    auto record = [this](const std::string& app, Date at) {
        auto r = std::make_shared<ActivityRecord>(UUID::random(), app, at, "");
        monitor->activityRecords.modify([&](auto& records) { records.insert(records.begin(), r); });
    };
    int minute = 0;
    for (int hour : {8, 9, 9, 9, 10, 10, 11, 13, 13, 13, 13, 14}) {
        record(minute % 2 ? "Editor" : "Browser", on7th(hour, (minute * 7) % 60));
        ++minute;
    }
    const auto hourly = renderToGallery(AppFocusView(reader, monitor), 400, "app-focus", [this] { settle(); });
    EXPECT_GT(hourly.height, 100);
}

} // namespace
} // namespace glimmo::testing
