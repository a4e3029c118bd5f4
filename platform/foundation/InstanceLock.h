#pragma once

// One running instance per store. Two instances that share a folder the application writes in (its
// data folder, the records' folder, the settings' folder) would each write their own lists over the
// other's, so a start that would share any of them with a running instance has to end instead.
//
// The lock is the kernel's advisory lock (flock) on each folder's own descriptor: it is dropped with
// the process however that ends (Quit, kill -9, a crash), and it leaves no file behind, not even in
// the user's documents folder (but on a file system that locks files only, NFS, where a hidden file in
// the folder takes its lock).

#include "platform/foundation/FileDescriptor.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace glimmo {

// The exit status of a start that found one of its folders owned by a running instance.
inline constexpr int anotherInstanceExitStatus = 4;

// A folder an instance writes in, and what it keeps there ("data", "records"...), to say which one
// is taken.
struct StoreFolder {
    std::filesystem::path path;
    std::string holds;
};

class InstanceLock {
public:
    // Where the writes of the store file `file` land: the folder it is named in (a file that cannot be
    // read is set aside there) and, for a symbolic link, the folder of the file at the end of its
    // links, which the atomic write replaces.
    static std::vector<std::filesystem::path> foldersOfStore(const std::filesystem::path& file);

    // How long a start goes on trying while it finds a folder held.
    static constexpr std::chrono::milliseconds lockWait{500};

    // All of `folders` locked (each made when missing, with its parents), or none of them and the one
    // still found held by another open lock, in this process or another, after `lockWait`: the first
    // held in the order the folders are locked in, that of their device and inode numbers. The same
    // folder under several names counts once. Throws FileError when a folder cannot be made, opened or
    // locked.
    static std::variant<InstanceLock, StoreFolder> acquire(const std::vector<StoreFolder>& folders);

private:
    explicit InstanceLock(std::vector<FileDescriptor> locked) : locked_(std::move(locked)) {}

    std::vector<FileDescriptor> locked_; // each lock lasts as long as its descriptor is open
};

} // namespace glimmo
