#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace glimmo {

// What tells one version of a file from another without reading it: which file it is (its device and
// inode), its size and when its content last changed.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names at the end of its links; nullopt when nothing is there or it
// cannot be looked at. Opens nothing.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

} // namespace glimmo
