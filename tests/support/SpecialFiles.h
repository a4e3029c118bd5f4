#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace glimmo::testing {

// Files that are not regular files where a store expects one: opening the FIFO waits for a writer,
// and reading through the link to /dev/zero never ends.
enum class SpecialFile { fifo, linkToDevZero };
inline constexpr SpecialFile specialFiles[] = {SpecialFile::fifo, SpecialFile::linkToDevZero};

void makeSpecialFile(const std::filesystem::path& path, SpecialFile kind);
const char* describe(SpecialFile kind);
std::filesystem::file_type fileTypeOf(SpecialFile kind);

// Whether `lines` are exactly the one log line that sets `path` aside as a non-regular file; when
// not, the lines are written to standard error (for a check in a forked child).
bool loggedOnlyItsSettingAside(const std::vector<std::string>& lines, const std::filesystem::path& path);

} // namespace glimmo::testing
