#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace glimmo::testing {

// A helper program started by a test, in a process group of its own. Destroying it ends the
// group (SIGTERM, then SIGKILL after a bounded wait) so nothing outlives the test.
class ChildProcess {
public:
    struct Options {
        std::map<std::string, std::string> environment; // added to (or replacing in) ours
        bool captureStandardOutput = false;
        std::optional<int> passWriteEndAsFd; // a pipe whose write end the child gets as this fd
    };

    // Throws std::runtime_error when the program cannot be started.
    ChildProcess(const std::vector<std::string>& arguments, Options options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }

    // The next line the child writes to its captured output (or to the passed pipe), waiting at
    // most timeoutSeconds; nullopt on timeout or end of output.
    std::optional<std::string> readLine(double timeoutSeconds);

    bool isRunning();
    void terminate();

private:
    pid_t pid_ = -1;
    int readFd_ = -1;
    std::string buffer_;
};

// Whether an executable of this name is in PATH (or is this path).
bool programExists(const std::string& program);

} // namespace glimmo::testing
