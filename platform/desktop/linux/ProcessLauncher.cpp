#include "platform/desktop/linux/ProcessLauncher.h"

#include <cstdlib>
#include <sstream>
#include <system_error>
#include <thread>

#include <cerrno>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glimmo {

bool isProgramAvailable(const std::string& program) {
    if (program.empty()) return false;
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        if (access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

void launchDetached(const std::vector<std::string>& arguments) {
    if (arguments.empty() || !isProgramAvailable(arguments.front())) {
        throw std::system_error(ENOENT, std::generic_category(), arguments.empty() ? "" : arguments.front());
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The opener must not read our standard input.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int status = posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    // posix_spawnp reports the exec's own failure too, E2BIG among them.
    if (status != 0) throw std::system_error(status, std::generic_category(), arguments.front());
    std::thread([pid] {
        int ignored = 0;
        while (waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace glimmo
