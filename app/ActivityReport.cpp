#include "app/ActivityReport.h"

#include "app/DurationText.h"
#include "platform/foundation/SaturatedCast.h"

#include <string_view>

namespace glimmo {
namespace {

struct Group {
    std::string_view label;
    UnifiedActivity::ActivityType type;
};

// Rows have no defined order; apps first keeps the text stable from run to run.
constexpr Group groups[] = {
    {"Apps", UnifiedActivity::ActivityType::app},
    {"Websites", UnifiedActivity::ActivityType::website},
};

std::string entryText(const UnifiedActivity& activity) {
    return activity.name + " (" + durationText(activity.duration) + ")";
}

} // namespace

UnifiedActivityReport makeActivityReport(const std::vector<UnifiedActivity>& activities, double totalSeconds) {
    UnifiedActivityReport report;
    for (const Group& group : groups) {
        std::string apps;
        double groupSeconds = 0;
        bool any = false;
        for (const UnifiedActivity& activity : activities) {
            if (activity.type != group.type) {
                continue;
            }
            if (any) {
                apps += ", ";
            }
            apps += entryText(activity);
            groupSeconds += activity.duration;
            any = true;
        }
        if (!any) {
            continue;
        }
        const int percent = totalSeconds != 0 ? saturatedCast<int>(groupSeconds / totalSeconds * 100) : 0;
        report.categories.push_back({std::string(group.label), std::move(apps), percent});
    }
    if (totalSeconds == 0 && report.categories.empty()) {
        report.categories.push_back({"Untracked", "No activity data available", 100});
    }
    for (const UnifiedActivity& activity : activities) {
        report.activities.push_back(entryText(activity) + "\nContext:\n" + activity.context);
    }
    const int minutes = saturatedCast<int>(totalSeconds / 60);
    report.totalMinutes = minutes;
    report.activeMinutes = minutes;
    return report;
}

std::string formatActivityReport(const UnifiedActivityReport& report) {
    std::string text = "{\n  \"categories\": [";
    for (std::size_t i = 0; i < report.categories.size(); ++i) {
        const ActivityReportCategory& row = report.categories[i];
        text += "\n    {\n      \"type\": \"";
        text += row.type;
        text += "\",\n      \"apps\": \"";
        text += row.apps;
        text += "\"\n    }";
        if (i + 1 < report.categories.size()) {
            text += ",";
        }
    }
    text += "\n  ],\n  \"activities\": [";
    for (std::size_t i = 0; i < report.activities.size(); ++i) {
        if (i > 0) {
            text += ",\n    ";
        }
        text += "\"";
        text += report.activities[i];
        text += "\"";
    }
    text += "\n  ]\n}";
    return text;
}

} // namespace glimmo
