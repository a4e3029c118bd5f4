#pragma once

#include <cstdint>
#include <filesystem>

namespace glimmo {

// The bytes this process may still write on the file system that holds `path` (what is reserved for
// the administrator not counted). Throws FileError when it cannot be looked at.
std::uint64_t availableBytes(const std::filesystem::path& path);

} // namespace glimmo
