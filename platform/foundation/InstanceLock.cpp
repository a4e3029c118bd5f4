#include "platform/foundation/InstanceLock.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>
#include <tuple>
#include <utility>

namespace glimmo {

namespace fs = std::filesystem;

namespace {

// Taken only where a folder's own descriptor takes no lock.
constexpr const char* lockFileName = ".com.glimmodemo.GlimmoDemo.lock";

struct OpenedFolder {
    FileDescriptor descriptor;
    dev_t device = 0;
    ino_t inode = 0;
    const StoreFolder* folder = nullptr;

    auto identity() const { return std::tie(device, inode); }
};

OpenedFolder openFolder(const StoreFolder& folder) {
    std::error_code error;
    fs::create_directories(folder.path, error);
    if (error) {
        throw FileError(folder.path, "create directory", error.value());
    }
    // Close-on-exec: a program the application starts must not inherit a lock and keep it after the
    // application has ended.
    FileDescriptor descriptor(::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status {};
    if (descriptor.get() < 0 || ::fstat(descriptor.get(), &status) != 0) {
        throw FileError(folder.path, "open folder", errno);
    }
    return {std::move(descriptor), status.st_dev, status.st_ino, &folder};
}

// 0, or the errno of a failed flock.
int lockExclusively(int descriptor) {
    int locked = 0;
    do {
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    return locked == 0 ? 0 : errno;
}

// The descriptor that holds the folder's lock, or nullopt when another one holds it.
std::optional<FileDescriptor> lockFolder(OpenedFolder& opened) {
    const int error = lockExclusively(opened.descriptor.get());
    if (error == 0) {
        return std::move(opened.descriptor);
    }
    if (error == EWOULDBLOCK) {
        return std::nullopt;
    }
    // Network file systems (NFS) lock only files open for writing: there a file in the folder stands
    // for it.
    const fs::path path = opened.folder->path / lockFileName;
    FileDescriptor file(
        ::openat(opened.descriptor.get(), lockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.get() < 0) {
        throw FileError(path, "open", errno);
    }
    const int fileError = lockExclusively(file.get());
    if (fileError == 0) {
        return file;
    }
    if (fileError == EWOULDBLOCK) {
        return std::nullopt;
    }
    throw FileError(path, "lock", fileError);
}

} // namespace

std::vector<fs::path> InstanceLock::foldersOfStore(const fs::path& file) {
    std::vector<fs::path> folders{file.parent_path()};
    try {
        if (const fs::path target = atomicWriteTarget(file); target != file) {
            folders.push_back(target.parent_path());
        }
    } catch (const FileError&) {
        // No write goes through such a file (a chain of links without end, a FIFO): it is set aside
        // where it is named, and the next write lands there.
    }
    return folders;
}

std::variant<InstanceLock, StoreFolder> InstanceLock::acquire(const std::vector<StoreFolder>& folders) {
    std::vector<OpenedFolder> opened;
    opened.reserve(folders.size());
    for (const StoreFolder& folder : folders) {
        opened.push_back(openFolder(folder));
    }
    // Every start takes its locks in one order, that of the folders' identities, without waiting, and a
    // start that finds one held lets all it took go. So a start that fails was stopped by one that has
    // got further in that order: whoever holds the last lock of a chain of such stops runs. Of many
    // starts with the same folders exactly one runs, and of two that share any folder never both.
    std::stable_sort(opened.begin(), opened.end(),
                     [](const OpenedFolder& a, const OpenedFolder& b) { return a.identity() < b.identity(); });
    // A second descriptor of the same folder would find the first one's lock.
    opened.erase(std::unique(opened.begin(), opened.end(),
                             [](const OpenedFolder& a, const OpenedFolder& b) { return a.identity() == b.identity(); }),
                 opened.end());
    std::vector<FileDescriptor> locked;
    for (OpenedFolder& folder : opened) {
        std::optional<FileDescriptor> held = lockFolder(folder);
        if (!held) {
            return *folder.folder; // what this start took goes with `locked`
        }
        locked.push_back(std::move(*held));
    }
    return InstanceLock(std::move(locked));
}

} // namespace glimmo
