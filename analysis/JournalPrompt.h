#pragma once

#include <string>
#include <string_view>

namespace glimmo {

// The instruction that asks for the day's journal; it ends with the line that introduces the
// activity report and an empty line.
extern const std::string_view journalPrompt;

// The journal prompt followed directly by the day's report text.
std::string journalRequestText(std::string_view reportText);

// The reply's spacing made regular: an empty line before each "- **" bullet that follows a single
// line break, then each run of three line feeds shortened to two (one pass each).
std::string spaceJournalBullets(std::string_view reply);

} // namespace glimmo
