#pragma once

// Charts under the deterministic measurer in UTC: the drawn marks read back from the display list.

#include "../ViewTestSupport.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/view/Charts/Chart.h"

#include <vector>

namespace glimmo::testing {

// Charts place dates by the calendar of the default time zone; tests use UTC.
struct UtcCalendar {
    UtcCalendar() : previous(defaultTimeZone()) { setDefaultTimeZone("UTC"); }
    ~UtcCalendar() { setDefaultTimeZone(previous); }
    UtcCalendar(const UtcCalendar&) = delete;
    UtcCalendar& operator=(const UtcCalendar&) = delete;
    std::string previous;
};

inline bool sameColour(const Paint& paint, const RGBA& c) {
    const auto* p = std::get_if<RGBA>(&paint);
    return p && std::abs(p->red - c.red) < 1e-6 && std::abs(p->green - c.green) < 1e-6 && std::abs(p->blue - c.blue) < 1e-6 &&
           std::abs(p->alpha - c.alpha) < 1e-6;
}

// The bounds of the filled paths painted in colour `c`, in painting order.
inline std::vector<CGRect> filledRects(const DisplayList& list, const RGBA& c) {
    std::vector<CGRect> out;
    for (const auto& item : list.items) {
        if (const auto* fill = std::get_if<FillItem>(&item); fill && sameColour(fill->paint, c)) out.push_back(fill->path.boundingRect());
    }
    return out;
}

inline AxisMarkContent labelOnly(AnyView label) { return AxisMarkContent{AxisValueLabel(std::move(label))}; }

} // namespace glimmo::testing
