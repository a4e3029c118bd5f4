#include "platform/foundation/InstanceLock.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

namespace glimmo {

namespace fs = std::filesystem;

namespace {

// Taken only where a folder's own descriptor takes no lock.
constexpr const char* lockFileName = ".com.glimmodemo.GlimmoDemo.lock";
// How often a start that found a folder held looks again while it waits.
constexpr std::chrono::milliseconds retryInterval{10};

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

// One pass over the folders, without waiting: the descriptors that hold every folder's lock, or, when one is
// held elsewhere, that folder (and what this pass took goes with the descriptors).
std::variant<std::vector<FileDescriptor>, StoreFolder> lockEach(const std::vector<StoreFolder>& folders) {
    std::vector<OpenedFolder> opened;
    opened.reserve(folders.size());
    for (const StoreFolder& folder : folders) {
        opened.push_back(openFolder(folder));
    }
    // Every start takes its locks in one order, that of the folders' identities: the start that holds the
    // first of some folders finds the rest free of every other start, so a crowd of starts on the same
    // folders does not stop one another over and over until each gives up.
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
            return *folder.folder;
        }
        locked.push_back(std::move(*held));
    }
    return locked;
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
    // A start that finds a folder held lets go of all it took before it waits, and tries again: so another
    // start on its way to failing holds a folder only for the moment of its pass and cannot make this one
    // fail, while a running instance, which keeps its locks, still does.
    const auto deadline = std::chrono::steady_clock::now() + InstanceLock::lockWait;
    while (true) {
        auto pass = lockEach(folders);
        if (auto* locked = std::get_if<std::vector<FileDescriptor>>(&pass)) {
            return InstanceLock(std::move(*locked));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::get<StoreFolder>(std::move(pass));
        }
        std::this_thread::sleep_for(retryInterval);
    }
}

} // namespace glimmo
