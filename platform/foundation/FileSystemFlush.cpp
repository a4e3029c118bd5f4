#include "platform/foundation/FileSystemFlush.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace glimmo {

void flushFileSystemOf(const std::filesystem::path& folder) {
    const FileDescriptor descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.get() < 0) {
        throw FileError(folder, "open folder", errno);
    }
    if (::syncfs(descriptor.get()) != 0) {
        throw FileError(folder, "flush the file system of", errno);
    }
}

} // namespace glimmo
