#include "analysis/DaySummaries.h"

#include "app/DurationText.h"
#include "platform/desktop/Pasteboard.h"
#include "platform/foundation/DateFormatting.h"

#include <algorithm>
#include <array>
#include <utility>

namespace glimmo {
namespace {

void appendBreakdown(std::string& text, const std::vector<TimeBreakdownEntry>& breakdown) {
    text += "HOW YOU USED YOUR TIME:\n";
    if (breakdown.empty()) {
        text += "No time breakdown data available.\n";
        return;
    }
    for (const auto& row : breakdown) {
        text += "- " + std::to_string(row.percent) + "% " + row.type + ": " + row.description + "\n";
    }
}

} // namespace

std::string focusGrade(int percent) {
    // Every bound is exclusive except the last, as the grades were first defined.
    static constexpr std::array<std::pair<int, const char*>, 10> grades = {{
        {79, "A+"}, {69, "A"}, {59, "A-"}, {49, "B+"}, {39, "B"},
        {29, "B-"}, {24, "C+"}, {19, "C"}, {14, "C-"}, {9, "D+"},
    }};
    for (const auto& [above, grade] : grades) {
        if (percent > above) {
            return grade;
        }
    }
    return percent >= 5 ? "D" : "F";
}

std::string focusScore(const std::vector<TimeBreakdownEntry>& breakdown, const std::vector<Category>& categories,
                       int create, int communicate) {
    int focused = 0;
    for (const auto& row : breakdown) {
        const auto category = std::find_if(categories.begin(), categories.end(),
                                           [&](const Category& candidate) { return candidate.name == row.type; });
        if (category != categories.end() && category->isPositive) {
            focused += row.percent;
        }
    }
    if (focused == 0) {
        focused = create + communicate;
    }
    return focusGrade(focused);
}

std::string formatTime(std::int64_t seconds) {
    return durationText(seconds);
}

std::string formatQueryTime(Date date) {
    return "(" + timeOfDayString(date) + ")";
}

std::string reportSummary(const std::vector<TimeBreakdownEntry>& breakdown, const std::vector<Activity>& activities) {
    std::string text;
    appendBreakdown(text, breakdown);
    text += "\nWHAT YOU WERE DOING:\n";
    if (activities.empty()) {
        text += "No specific activities detected.\n";
    }
    for (const auto& activity : activities) {
        text += "- " + activity.description + " (" + formatTime(activity.duration) + ")\n";
    }
    return text;
}

std::string journalSummary(const std::vector<TimeBreakdownEntry>& breakdown, const std::string& highlights) {
    std::string text;
    appendBreakdown(text, breakdown);
    text += "\n🚀 PROJECTS & WORK HIGHLIGHTS:\n";
    text += highlights.empty() ? std::string("No highlights available.\n") : highlights;
    return text;
}

void copyToPasteboard(const std::string& text) {
    Pasteboard& pasteboard = Pasteboard::shared();
    pasteboard.clearContents();
    pasteboard.setString(text);
}

} // namespace glimmo
