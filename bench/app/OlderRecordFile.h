#pragma once

// The record file an older version wrote after `days` days of heavy use ending at `now`: a record every five
// minutes (288 a day), newest first, each with a summary of 1.5 KB, in the application's own pretty form
// (330 MB for two years), written straight, a few hundred megabytes in seconds. Gives its size.

#include "platform/runtime/Date.h"

#include <cstdint>
#include <filesystem>

namespace glimmo::bench {

std::uintmax_t writeOlderRecordFile(const std::filesystem::path& path, int days, Date now);

} // namespace glimmo::bench
