#pragma once

#include "analysis/CategorizationAnswer.h"
#include "app/ActivityTypes.h"
#include "platform/runtime/Date.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glimmo {

// The letter grade of a whole percent of focused time: "A+" above 79 down to "F" below 5.
std::string focusGrade(int percent);

// The grade of a breakdown: the percents of the rows whose category counts towards focus, or,
// when those add up to 0, `create` + `communicate`.
std::string focusScore(const std::vector<TimeBreakdownEntry>& breakdown, const std::vector<Category>& categories,
                       int create, int communicate);

// "59m" below an hour, "2h 1m" from an hour on.
std::string formatTime(std::int64_t seconds);
// "(" + the time as "h:mm a" + ")".
std::string formatQueryTime(Date date);

// The copy texts of the dashboard and of the journal.
std::string reportSummary(const std::vector<TimeBreakdownEntry>& breakdown, const std::vector<Activity>& activities);
std::string journalSummary(const std::vector<TimeBreakdownEntry>& breakdown, const std::string& highlights);

// Puts the text on the general pasteboard in place of what was there.
void copyToPasteboard(const std::string& text);

} // namespace glimmo
