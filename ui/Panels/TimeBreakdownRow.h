#pragma once

// One category of the journal's time breakdown: "45% Create" with a one-line preview of what the
// time went to; a tap anywhere on the line opens the whole description below it.

#include "analysis/CategorizationAnswer.h"
#include "platform/view/ViewKit.h"

namespace glimmo {

struct TimeBreakdownRow : View<TimeBreakdownRow> {
    explicit TimeBreakdownRow(TimeBreakdownEntry activity, bool isExpanded = false);

    TimeBreakdownEntry activity;
    State<bool> isExpanded;

    AnyView body() const;
};

} // namespace glimmo
