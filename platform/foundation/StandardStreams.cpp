#include "platform/foundation/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace glimmo {

void openClosedStandardStreams() {
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(stream, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is this one, as those below it are open. Without /dev/null (a bare
        // container) nothing better can be done, and nothing can be said.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != stream) {
            ::close(opened);
        }
    }
}

} // namespace glimmo
