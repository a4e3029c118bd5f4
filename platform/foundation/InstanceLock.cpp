#include "platform/foundation/InstanceLock.h"

#include "platform/foundation/Error.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace glimmo {

std::optional<InstanceLock> InstanceLock::acquire(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw FileError(folder, "create directory", error.value());
    }
    const std::filesystem::path path = folder / fileName;
    // Close-on-exec: a program the application starts must not inherit the lock and keep it after
    // the application has ended.
    FileDescriptor descriptor(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (descriptor.get() < 0) {
        throw FileError(path, "open", errno);
    }
    int locked = 0;
    do {
        locked = ::flock(descriptor.get(), LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0) {
        return InstanceLock(std::move(descriptor));
    }
    if (errno == EWOULDBLOCK) {
        return std::nullopt;
    }
    throw FileError(path, "lock", errno);
}

} // namespace glimmo
