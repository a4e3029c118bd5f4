#pragma once

#include <filesystem>

namespace glimmo {

// Flushes to the disk everything written on the file system that holds the folder `folder` (syncfs):
// one flush for many files written with WriteDurability::unflushed, after which they survive a power
// cut as if each had been written durably. Throws FileError.
void flushFileSystemOf(const std::filesystem::path& folder);

} // namespace glimmo
