#pragma once

// One running instance per data folder. Two instances that share a folder would each write their own
// list over the other's, so a second start has to end instead.
//
// The lock is the kernel's advisory lock (flock) on an open file in the folder: it is dropped with
// the process however that ends (Quit, kill -9, a crash), and the file it leaves behind stops no one.

#include "platform/foundation/FileDescriptor.h"

#include <filesystem>
#include <optional>
#include <utility>

namespace glimmo {

// The exit status of a start that found the data folder owned by a running instance.
inline constexpr int anotherInstanceExitStatus = 4;

class InstanceLock {
public:
    static constexpr const char* fileName = "instance.lock";

    // The lock on `folder` (made when missing, with its parents), or nullopt when another open file
    // holds it, in this process or another. Throws FileError when the folder or the file cannot be
    // made or opened.
    static std::optional<InstanceLock> acquire(const std::filesystem::path& folder);

private:
    explicit InstanceLock(FileDescriptor descriptor) : descriptor_(std::move(descriptor)) {}

    FileDescriptor descriptor_; // the lock lasts as long as it is open
};

} // namespace glimmo
