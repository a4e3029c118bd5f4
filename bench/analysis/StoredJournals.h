#pragma once

// Journals as the benchmarks of the journal cache store them: ordinary days of bullets, and a defaults
// file as an older version of the application wrote it, with every day in it however large.

#include "platform/runtime/Date.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace glimmo::bench {

inline constexpr std::size_t ordinaryJournalBytes = 8 * 1024;
inline constexpr std::size_t largestReply = std::size_t{32} << 20; // the AI client's reply limit

// Bullets as the journal prompt asks for them, to about `bytes`; `seed` makes each day its own.
std::string journalOfDay(int seed, std::size_t bytes = ordinaryJournalBytes);

// A defaults file holding a setting and the journals of `days` days up to `today` (of about
// `journalBytes` each, the oldest of them `oldest` when given), saved a minute before `today`: every day,
// past any budget.
void writeOlderDefaults(const std::filesystem::path& file, Date today, int days, std::size_t journalBytes = ordinaryJournalBytes,
                        const std::string* oldest = nullptr);

} // namespace glimmo::bench
