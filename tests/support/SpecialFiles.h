#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace glimmo::testing {

// Files that are not regular files where a store expects one: opening the FIFO waits for a writer,
// reading through the link to /dev/zero never ends, and a socket cannot be opened at all.
enum class SpecialFile { fifo, linkToDevZero, socket };
inline constexpr SpecialFile specialFiles[] = {SpecialFile::fifo, SpecialFile::linkToDevZero, SpecialFile::socket};

void makeSpecialFile(const std::filesystem::path& path, SpecialFile kind);
const char* describe(SpecialFile kind);
std::filesystem::file_type fileTypeOf(SpecialFile kind);

// Whether `lines` are exactly the one log line that sets `path` aside as a non-regular file; when
// not, the lines are written to standard error (for a check in a forked child).
bool loggedOnlyItsSettingAside(const std::vector<std::string>& lines, const std::filesystem::path& path);

} // namespace glimmo::testing
