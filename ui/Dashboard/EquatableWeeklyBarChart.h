#pragma once

#include "app/ActivityDataManager.h"
#include "platform/view/ViewKit.h"

#include <optional>
#include <vector>

namespace glimmo {

// The weekly chart, rebuilt only when a day of the week is added, removed or saved again: the
// comparison looks at which days are present and at their save times, never at the stored answers.
struct EquatableWeeklyBarChart : View<EquatableWeeklyBarChart> {
    std::vector<std::optional<DailyActivityData>> weekData;

    AnyView body() const;
    bool operator==(const EquatableWeeklyBarChart& other) const;
};

} // namespace glimmo
