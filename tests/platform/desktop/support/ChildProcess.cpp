#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glimmo::testing {

bool programExists(const std::string& program) {
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, Options options) {
    if (arguments.empty() || !programExists(arguments.front())) {
        throw std::runtime_error("cannot start " + (arguments.empty() ? std::string("nothing") : arguments.front()));
    }
    std::map<std::string, std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : options.environment) environment[name] = value;
    std::vector<std::string> environmentTexts;
    for (const auto& [name, value] : environment) environmentTexts.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& text : environmentTexts) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<std::string> argumentCopies = arguments;
    std::vector<char*> argv;
    for (auto& argument : argumentCopies) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    const bool usePipe = options.captureStandardOutput || options.passWriteEndAsFd;
    if (usePipe && pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

    // fork and exec rather than posix_spawn: the child asks to be ended when the test process
    // dies, so a test killed by its time-out leaves no server behind.
    const int writeEnd = pipeFds[1];
    const std::optional<int> passAs = options.passWriteEndAsFd;
    const bool capture = options.captureStandardOutput;
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, STDIN_FILENO);
        if (capture) dup2(writeEnd, STDOUT_FILENO);
        if (passAs && writeEnd == *passAs) fcntl(writeEnd, F_SETFD, 0);
        else if (passAs) dup2(writeEnd, *passAs);
        execvpe(argv.front(), argv.data(), envp.data());
        _exit(127);
    }
    const int status = pid_ < 0 ? errno : 0;
    if (usePipe) {
        close(pipeFds[1]);
        readFd_ = pipeFds[0];
    }
    if (status != 0) {
        if (readFd_ >= 0) close(readFd_);
        throw std::runtime_error("cannot start " + arguments.front() + ": " + std::strerror(status));
    }
}

ChildProcess::~ChildProcess() {
    terminate();
    if (readFd_ >= 0) close(readFd_);
}

std::optional<std::string> ChildProcess::readLine(double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (true) {
        const auto newline = buffer_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffer_.substr(0, newline);
            buffer_.erase(0, newline + 1);
            return line;
        }
        if (readFd_ < 0) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd fd{readFd_, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char chunk[512];
        const ssize_t count = read(readFd_, chunk, sizeof chunk);
        if (count <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<std::size_t>(count));
    }
}

bool ChildProcess::isRunning() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t result = waitpid(pid_, &status, WNOHANG);
    if (result == pid_) {
        pid_ = -1;
        return false;
    }
    return result == 0;
}

void ChildProcess::terminate() {
    if (pid_ <= 0) return;
    // The group: helpers such as the accessibility bus launcher start children of their own.
    kill(-pid_, SIGTERM);
    for (int i = 0; i < 60; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            kill(-pid_, SIGKILL); // anything of the group that is left
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(-pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

} // namespace glimmo::testing
