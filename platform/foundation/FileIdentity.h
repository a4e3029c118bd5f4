#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace glimmo {

// What tells one version of a file from another without reading it: which file it is (its device and
// inode), its size, when its content last changed and when the file last changed at all. The change time
// cannot be set back by hand as the modification time can, so a file rewritten in place with its old size
// and modification time is still another version.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names at the end of its links; nullopt when nothing is there or it
// cannot be looked at. Opens nothing.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

} // namespace glimmo
