#pragma once

// For the file functions and the instance lock of this folder only: an open descriptor that closes
// itself, the one way they open a file to read it, and the read and write loops they share.

#include "platform/foundation/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

namespace glimmo {

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    // The descriptor held before goes with `other`.
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(descriptor_, other.descriptor_);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return descriptor_; }
    // Closes now so that a failing close (a delayed write error) is seen.
    int close();

private:
    int descriptor_;
};

struct OpenedRegularFile {
    FileDescriptor descriptor;
    std::uintmax_t size = 0; // when it was opened
};

// Reads at most `count` bytes into `into`, again when a signal interrupts; 0 at the end. Throws FileError.
std::size_t readSome(int descriptor, char* into, std::size_t count, const std::filesystem::path& path);
// Writes all of `bytes`, again after interruptions and short writes. Throws FileError.
void writeAll(int descriptor, std::string_view bytes, const std::filesystem::path& path);

// The regular file at `path` (the end of its links), opened to read in blocking mode, or nullopt when
// nothing is there. A FIFO, a device or a folder is refused without waiting on it. No lock is taken,
// and none held by another process stops it. Throws FileError.
// With `refused` links, a symbolic link at `path` is refused as a non-regular file.
std::optional<OpenedRegularFile> openRegularFileToRead(const std::filesystem::path& path);
std::optional<OpenedRegularFile> openRegularFileToRead(const std::filesystem::path& path, SymbolicLinks links);

} // namespace glimmo
