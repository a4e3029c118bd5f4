#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace glimmo {

namespace fs = std::filesystem;

namespace {

void runIfGiven(const std::function<void()>& step) {
    if (step) {
        step();
    }
}

// Reads to the end of `from` and writes all of it to `to`, `room` bytes at most; returns the bytes copied.
std::uintmax_t copyByReading(int from, int to, const fs::path& source, const fs::path& destination,
                             const std::function<void()>& beforeEachChunk, std::uintmax_t room) {
    std::uintmax_t copied = 0;
    std::size_t chunk = copyChunkBytes; // copied since beforeEachChunk last ran
    char buffer[65536];
    for (;;) {
        if (chunk >= copyChunkBytes) {
            runIfGiven(beforeEachChunk);
            chunk = 0;
        }
        // With no room left, one byte more tells whether the source ends there.
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uintmax_t>(sizeof buffer, room - copied));
        const std::size_t count = readSome(from, buffer, std::max<std::size_t>(wanted, 1), source);
        if (count == 0) {
            return copied;
        }
        if (wanted == 0) {
            throw FileError(source, "copy", EFBIG);
        }
        writeAll(to, std::string_view(buffer, count), destination);
        copied += count;
        chunk += count;
    }
}

} // namespace

std::optional<FileStart> readFileStart(const fs::path& path, std::size_t count) {
    const std::optional<OpenedRegularFile> file = openRegularFileToRead(path);
    if (!file) {
        return std::nullopt;
    }
    FileStart start{std::string(count, '\0'), file->size};
    std::size_t filled = 0;
    while (filled < count) {
        const std::size_t read = readSome(file->descriptor.get(), start.bytes.data() + filled, count - filled, path);
        if (read == 0) {
            break;
        }
        filled += read;
    }
    start.bytes.resize(filled);
    return start;
}

std::uintmax_t copyRegularFile(const fs::path& source, const fs::path& destination,
                               const std::function<void()>& beforeEachChunk, std::uintmax_t maximumBytes) {
    const std::optional<OpenedRegularFile> file = openRegularFileToRead(source);
    if (!file) {
        throw FileError(source, "copy", ENOENT);
    }
    FileDescriptor to(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (to.get() < 0) {
        throw FileError(destination, "create", errno);
    }
    if (::fchmod(to.get(), 0600) != 0) { // whatever the umask
        throw FileError(destination, "set permissions of", errno);
    }
    const int from = file->descriptor.get();
    std::uintmax_t copied = 0;
    // The kernel copies without passing the bytes through here; where it cannot, or where it stops
    // short (some file systems report no content it could copy), reading takes over to the end.
    for (;;) {
        runIfGiven(beforeEachChunk);
        const std::uintmax_t room = maximumBytes - copied;
        if (room == 0) {
            break;
        }
        const ssize_t count = ::copy_file_range(from, nullptr, to.get(), nullptr,
                                                static_cast<std::size_t>(std::min<std::uintmax_t>(copyChunkBytes, room)), 0);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        copied += static_cast<std::uintmax_t>(count);
    }
    copied += copyByReading(from, to.get(), source, destination, beforeEachChunk, maximumBytes - copied);
    if (to.close() != 0) {
        throw FileError(destination, "close", errno);
    }
    return copied;
}

} // namespace glimmo
