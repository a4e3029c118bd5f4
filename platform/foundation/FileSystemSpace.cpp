#include "platform/foundation/FileSystemSpace.h"

#include "platform/foundation/Error.h"

#include <sys/statvfs.h>

#include <cerrno>

namespace glimmo {

std::uint64_t availableBytes(const std::filesystem::path& path) {
    struct statvfs status {};
    if (::statvfs(path.c_str(), &status) != 0) {
        throw FileError(path, "look at the free space of", errno);
    }
    return static_cast<std::uint64_t>(status.f_bavail) * static_cast<std::uint64_t>(status.f_frsize);
}

} // namespace glimmo
