#pragma once

#include "app/ActivityDataManager.h"
#include "app/ActivityTypes.h"
#include "platform/view/ViewKit.h"
#include "ui/Dashboard/WeeklyChartData.h"

#include <optional>
#include <string>
#include <vector>

namespace glimmo {

// The current week as seven stacked bars of the Consume, Create and Communicate shares, under a tip
// that depends on the day of the week. The stored answers are read on appearance and when the days
// change, never on a plain redraw.
struct WeeklyBarChart : View<WeeklyBarChart> {
    explicit WeeklyBarChart(std::vector<std::optional<DailyActivityData>> weekData);

    std::vector<std::optional<DailyActivityData>> weekData;
    State<std::vector<DayData>> cachedChartData{std::vector<DayData>{}};
    State<bool> hasInitialized{false};
    WeekRange dateRange;

    std::string weeklyMessage() const;
    void computeChartData() const;

    AnyView body() const;

private:
    AnyView messageBox() const;
    AnyView chart() const;
};

// The category colours of the charts.
Color consumeColor();
Color createColor();
Color communicateColor();

} // namespace glimmo
