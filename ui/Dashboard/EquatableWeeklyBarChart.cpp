#include "ui/Dashboard/EquatableWeeklyBarChart.h"

#include "ui/Dashboard/WeeklyBarChart.h"

namespace glimmo {

AnyView EquatableWeeklyBarChart::body() const { return WeeklyBarChart(weekData); }

bool EquatableWeeklyBarChart::operator==(const EquatableWeeklyBarChart& other) const {
    if (weekData.size() != other.weekData.size()) return false;
    for (std::size_t i = 0; i < weekData.size(); ++i) {
        const auto& l = weekData[i];
        const auto& r = other.weekData[i];
        if (!l && !r) continue;
        if (!l || !r) return false;
        if (l->lastUpdateTime != r->lastUpdateTime) return false;
    }
    return true;
}

} // namespace glimmo
