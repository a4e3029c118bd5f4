#include "platform/foundation/Files.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Log.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

namespace fs = std::filesystem;

namespace {

// Removes the temporary file unless the write got as far as renaming it.
class TemporaryFileGuard {
public:
    explicit TemporaryFileGuard(fs::path path) : path_(std::move(path)) {}
    ~TemporaryFileGuard() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
    void release() { path_.clear(); }

private:
    fs::path path_;
};

std::mutex& hookMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void(const fs::path&)>& writeHook() {
    static std::function<void(const fs::path&)> hook;
    return hook;
}

fs::path parentFolder(const fs::path& path) {
    fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

void syncFolder(const fs::path& folder) {
    const FileDescriptor descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.get() < 0) {
        throw FileError(folder, "open folder", errno);
    }
    // Some file systems cannot sync a folder; the rename has happened either way.
    if (::fsync(descriptor.get()) != 0 && errno != EINVAL && errno != EROFS) {
        throw FileError(folder, "sync folder", errno);
    }
}

std::string asideTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
    return buffer;
}

// Renames without replacing anything that is already at `to`; false when `to` exists.
bool renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        throw FileError(from, std::string("move aside to ").append(to.string()).append(":"), errno);
    }
    // The file system cannot rename exclusively: a hard link fails just as safely when `to` exists.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) {
            return false;
        }
        throw FileError(from, std::string("move aside to ").append(to.string()).append(":"), errno);
    }
    if (::unlink(from.c_str()) != 0) {
        throw FileError(from, "remove after moving aside", errno);
    }
    return true;
}

// ".<name>.tmp-" followed by the six letters and digits that mkostemp puts in place of "XXXXXX".
std::string temporaryPrefix(const fs::path& path) {
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on `"literal" + std::string`.
    std::string prefix(".");
    prefix.append(path.filename().string()).append(".tmp-");
    return prefix;
}

bool isTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) {
        return false;
    }
    for (const char c : name.substr(prefix.size())) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// A writer holds an exclusive flock on its temporary file until it is renamed or removed, in this
// process or another; the kernel drops the lock of a killed writer. So a temporary file of the
// target's pattern that can be locked was left by an interrupted write. Only our own regular files
// are removed; anything else, and every failure, is left alone.
void removeStaleTemporaryFiles(const fs::path& folder, const std::function<bool(const std::string&)>& isTemporary) {
    std::error_code error;
    for (fs::directory_iterator entries(folder, error), end; !error && entries != end; entries.increment(error)) {
        const fs::path candidate = entries->path();
        if (!isTemporary(candidate.filename().string())) {
            continue;
        }
        const FileDescriptor descriptor(::open(candidate.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat opened {};
        if (descriptor.get() < 0 || ::fstat(descriptor.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
            opened.st_uid != ::geteuid() || ::flock(descriptor.get(), LOCK_EX | LOCK_NB) != 0) {
            continue;
        }
        struct stat named {};
        if (::lstat(candidate.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            ::unlink(candidate.c_str());
        }
    }
}

// The kernel's own limit on links followed in one path.
constexpr int maximumLinksFollowed = 40;

// The file a write replaces: `path`, or the end of its chain of symbolic links, so that a link (into
// a dotfiles folder, say) stays a link and the file it names gets the new content.
fs::path writeTarget(const fs::path& path) {
    fs::path target = path;
    for (int followed = 0;; ++followed) {
        struct stat status {};
        if (::lstat(target.c_str(), &status) != 0) {
            return target; // nothing there yet, or a failure the write itself will report
        }
        if (!S_ISLNK(status.st_mode)) {
            // Renaming over a device or a FIFO would replace it, and a link may lead anywhere.
            if (!S_ISREG(status.st_mode)) {
                throw FileError(target, "replace non-regular file", 0);
            }
            return target;
        }
        if (followed == maximumLinksFollowed) {
            throw FileError(path, "resolve links of", ELOOP);
        }
        std::error_code error;
        const fs::path next = fs::read_symlink(target, error);
        if (error) {
            throw FileError(target, "read link", error.value());
        }
        target = next.is_absolute() ? next : parentFolder(target) / next;
    }
}

// The entry a write that follows no link replaces: `path` itself, when it is nothing yet or a regular file.
const fs::path& entryToReplace(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        throw FileError(path, S_ISLNK(status.st_mode) ? "replace symbolic link" : "replace non-regular file", 0);
    }
    return path;
}

int lockedTemporaryFile(std::vector<char>& name, const fs::path& path) {
    const std::vector<char> pattern = name;
    for (int attempt = 0;; ++attempt) {
        name = pattern;
        const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
        if (descriptor < 0) {
            throw FileError(path, "create temporary file for", errno);
        }
        int locked = 0;
        do {
            locked = ::flock(descriptor, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        struct stat status {};
        // Another writer's clean-up may have taken the file between its creation and the lock.
        if (locked != 0 || ::fstat(descriptor, &status) != 0 || status.st_nlink > 0 || attempt == 8) {
            return descriptor;
        }
        ::close(descriptor);
    }
}

// The file that the temporary file `name` of writeFileAtomically was for ("x.json" for
// ".x.json.tmp-AbC123"); nullopt for any other name.
std::optional<std::string> atomicWriteTargetName(std::string_view name) {
    constexpr std::string_view marker = ".tmp-";
    constexpr std::size_t suffix = marker.size() + 6;
    if (name.size() <= suffix + 1 || name.front() != '.') {
        return std::nullopt;
    }
    const std::string target(name.substr(1, name.size() - 1 - suffix));
    if (!isTemporaryName(name, temporaryPrefix(target))) {
        return std::nullopt;
    }
    return target;
}

FileError tooLargeToRead(const fs::path& path) {
    return FileError(path, "read more than " + std::to_string(maximumReadFileSize >> 20) + " MiB of", EFBIG);
}

FileError nonRegularFile(const fs::path& path) { return FileError(path, "read non-regular file", 0); }

} // namespace

std::string withoutTemporaryFileName(const std::exception& error) {
    std::string text = error.what();
    const auto* fileError = dynamic_cast<const FileError*>(&error);
    if (fileError == nullptr) {
        return text;
    }
    const std::optional<std::string> target = atomicWriteTargetName(fileError->path().filename().string());
    const std::string named = fileError->path().string();
    if (const auto at = text.find(named); target && at != std::string::npos) {
        text.replace(at, named.size(), (fileError->path().parent_path() / *target).string());
    }
    return text;
}

void setAtomicWriteHookForTesting(std::function<void(const fs::path&)> hook) {
    const std::lock_guard lock(hookMutex());
    writeHook() = std::move(hook);
}

fs::path atomicWriteTarget(const fs::path& path) { return writeTarget(path); }

void removeInterruptedWrites(const fs::path& folder) {
    removeStaleTemporaryFiles(folder, [](const std::string& name) { return atomicWriteTargetName(name).has_value(); });
}

void writeFileAtomically(const fs::path& linkOrFile, std::string_view bytes, WriteDurability durability,
                         SymbolicLinks links) {
    const fs::path path = links == SymbolicLinks::followed ? writeTarget(linkOrFile) : entryToReplace(linkOrFile);
    const fs::path folder = parentFolder(path);
    const std::string prefix = temporaryPrefix(path);
    removeStaleTemporaryFiles(folder, [&prefix](const std::string& name) { return isTemporaryName(name, prefix); });
    const std::string pattern = (folder / prefix).string() + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    FileDescriptor descriptor(lockedTemporaryFile(name, path));
    const fs::path temporary(name.data());
    TemporaryFileGuard guard(temporary);
    // The lock lasts until this second descriptor closes, after the rename or the removal. Without it
    // the lock would go with the first one, before the rename, and another writer's clean-up could
    // take the file.
    const FileDescriptor heldLock(::dup(descriptor.get()));
    if (heldLock.get() < 0) {
        throw FileError(temporary, "lock", errno);
    }

    if (::fchmod(descriptor.get(), 0600) != 0) {
        throw FileError(temporary, "set permissions of", errno);
    }
    writeAll(descriptor.get(), bytes, temporary);
    if (durability == WriteDurability::durable && ::fsync(descriptor.get()) != 0) {
        throw FileError(temporary, "sync", errno);
    }
    if (descriptor.close() != 0) {
        throw FileError(temporary, "close", errno);
    }
    std::function<void(const fs::path&)> hook;
    {
        const std::lock_guard lock(hookMutex());
        hook = writeHook();
    }
    if (hook) {
        hook(temporary);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        throw FileError(path, "replace", errno);
    }
    guard.release();
    if (durability == WriteDurability::durable) {
        syncFolder(folder);
    }
}

void writeAll(int descriptor, std::string_view bytes, const fs::path& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(path, "write", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::size_t readSome(int descriptor, char* into, std::size_t count, const fs::path& path) {
    for (;;) {
        const ssize_t read = ::read(descriptor, into, count);
        if (read >= 0) {
            return static_cast<std::size_t>(read);
        }
        if (errno != EINTR) {
            throw FileError(path, "read", errno);
        }
    }
}

FileDescriptor::~FileDescriptor() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

int FileDescriptor::close() {
    return ::close(std::exchange(descriptor_, -1));
}

std::optional<OpenedRegularFile> openRegularFileToRead(const fs::path& path) {
    return openRegularFileToRead(path, SymbolicLinks::followed);
}

std::optional<OpenedRegularFile> openRegularFileToRead(const fs::path& path, SymbolicLinks links) {
    const int noFollow = links == SymbolicLinks::refused ? O_NOFOLLOW : 0;
    // Without O_NONBLOCK a FIFO in the file's place would hold the open until something writes to it.
    FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow));
    if (descriptor.get() < 0) {
        // ENOTDIR: a folder on the way is a file, so this file cannot exist either.
        const int openError = errno;
        if (openError == ENOENT || openError == ENOTDIR) {
            return std::nullopt;
        }
        // A socket cannot be opened at all: it is refused for what it is, as any other special file, and
        // so is a link that may not be followed (ELOOP).
        struct stat status {};
        const int inspected = noFollow != 0 ? ::lstat(path.c_str(), &status) : ::stat(path.c_str(), &status);
        if (inspected == 0 && !S_ISREG(status.st_mode)) {
            throw nonRegularFile(path);
        }
        throw FileError(path, "open", openError);
    }
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0) {
        throw FileError(path, "inspect", errno);
    }
    // A FIFO or a device (a link to /dev/zero) may block or never end.
    if (!S_ISREG(status.st_mode)) {
        throw nonRegularFile(path);
    }
    // A regular file is read as any other: some file systems would answer EAGAIN instead of waiting.
    const int flags = ::fcntl(descriptor.get(), F_GETFL);
    if (flags < 0 || ::fcntl(descriptor.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        throw FileError(path, "prepare reading", errno);
    }
    return OpenedRegularFile{std::move(descriptor), static_cast<std::uintmax_t>(status.st_size)};
}

std::optional<std::string> readFileIfReadable(const fs::path& path) {
    try {
        return readFile(path);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

std::optional<std::string> readFile(const fs::path& path, SymbolicLinks links) {
    const std::optional<OpenedRegularFile> file = openRegularFileToRead(path, links);
    if (!file) {
        return std::nullopt;
    }
    const FileDescriptor& descriptor = file->descriptor;
    if (file->size > maximumReadFileSize) {
        throw tooLargeToRead(path);
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(file->size));
    char buffer[65536];
    for (;;) {
        // One byte past the limit tells a file that grew while it was read.
        const std::size_t wanted = std::min(sizeof buffer, maximumReadFileSize + 1 - content.size());
        const std::size_t count = readSome(descriptor.get(), buffer, wanted, path);
        if (count == 0) {
            return content;
        }
        content.append(buffer, count);
        if (content.size() > maximumReadFileSize) {
            throw tooLargeToRead(path);
        }
    }
}

std::optional<fs::path> moveUnreadableFileAside(const fs::path& path, std::string_view reason) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw FileError(path, "inspect", errno);
    }
    const std::string base = path.filename().string() + ".unreadable-" + asideTimestamp();
    for (int attempt = 1;; ++attempt) {
        const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        const fs::path aside = path.parent_path() / name;
        if (renameWithoutReplacing(path, aside)) {
            std::string line("Moved unreadable file ");
            line.append(path.string()).append(" aside to ").append(aside.string());
            line.append(" (").append(reason).append(")");
            systemLog(line);
            return aside;
        }
    }
}

} // namespace glimmo
