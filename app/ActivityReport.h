#pragma once

#include "app/UnifiedActivity.h"

#include <string>
#include <vector>

namespace glimmo {

// One row of a report: "Apps", "Websites", or "Untracked" when there is no data.
struct ActivityReportCategory {
    std::string type;
    std::string apps;
    int percent = 0;

    bool operator==(const ActivityReportCategory&) const = default;
};

struct UnifiedActivityReport {
    std::vector<ActivityReportCategory> categories;
    std::vector<std::string> activities;
    int totalMinutes = 0;
    int activeMinutes = 0;

    bool operator==(const UnifiedActivityReport&) const = default;
};

// Builds the report of a merged activity list whose durations add up to `totalSeconds`.
UnifiedActivityReport makeActivityReport(const std::vector<UnifiedActivity>& activities, double totalSeconds);

// The JSON-shaped text that prompts carry. Nothing is escaped and percents and minutes are left
// out: the text is read by a language model, never parsed back.
std::string formatActivityReport(const UnifiedActivityReport& report);

} // namespace glimmo
