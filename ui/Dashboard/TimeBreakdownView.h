#pragma once

#include "analysis/CategorizationAnswer.h"
#include "platform/view/ViewKit.h"

#include <set>
#include <string>
#include <vector>

namespace glimmo {

// "HOW YOU USED YOUR TIME": one row per category with its share; tapping a row's header line opens
// or closes its full description.
struct TimeBreakdownView : View<TimeBreakdownView> {
    std::vector<TimeBreakdownEntry> activityBreakdown;
    bool isLoading = false;
    // Keyed by category name, so an open row stays open across refreshes.
    State<std::set<std::string>> expandedCategories{std::set<std::string>{}};

    AnyView body() const;

private:
    AnyView row(const TimeBreakdownEntry& entry) const;
};

} // namespace glimmo
