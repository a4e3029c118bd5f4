#pragma once

// What the weekly bar chart draws and says, worked out from the per-day store's records.

#include "app/ActivityDataManager.h"
#include "app/ActivityTypes.h"
#include "platform/foundation/Calendar.h"
#include "platform/runtime/Date.h"

#include <optional>
#include <string>
#include <vector>

namespace glimmo {

struct WeekRange {
    Date start; // start of the first day of the week, by the calendar's first weekday
    Date end;   // start plus 6 days
};

// The week that contains `now`.
WeekRange currentWeekRange(const Calendar& calendar, Date now);

struct CategoryPercentages {
    int create = 0;
    int communicate = 0;
    int consume = 0;
    bool operator==(const CategoryPercentages&) const = default;
};

// The day's shares of Create, Communicate and Consume from its stored answer, scaled to add up to
// 100. A day without a record or answer gives zeros; an answer that cannot be read prints
// "Failed to parse JSON: " with the stored text and gives zeros. A stored share is read within
// ±(INT_MAX / 100), so that its scaled value still fits an int.
CategoryPercentages parseCategoryPercentages(const std::optional<DailyActivityData>& record);

// Seven days from `weekStart`, each with the shares of the record filed under its day key.
std::vector<DayData> computeChartData(const std::vector<std::optional<DailyActivityData>>& weekData, Date weekStart,
                                      const Calendar& calendar);

// The tip above the chart for today's weekday (1 = Sunday ... 7 = Saturday) in a week whose chart
// starts on `firstWeekday`: the days counted, and the column read on Wednesday, are those of the
// chart's week up to today.
std::string weeklyMessage(int weekday, int firstWeekday, const std::vector<std::optional<DailyActivityData>>& weekData,
                          const std::vector<DayData>& chartData);

} // namespace glimmo
