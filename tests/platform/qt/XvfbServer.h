#pragma once

// A private X server for the hosting tests: Xvfb on the first free display number, started and
// stopped by its owner. The X tests run against it; none of them touches the user's display.

#include <optional>
#include <string>
#include <sys/types.h>

namespace glimmo::testing {

class XvfbServer {
public:
    // Starts Xvfb and waits (bounded) for its socket. When Xvfb is not installed or does not come up,
    // the server is not running and `problem()` says why.
    XvfbServer();
    // Stops the server (terminate, then kill if it lingers) and reaps it.
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool isRunning() const { return pid_ > 0; }
    // ":N" of the running server.
    const std::string& display() const { return display_; }
    const std::string& problem() const { return problem_; }

private:
    bool start(int number);
    void stop();

    pid_t pid_ = -1;
    std::string display_;
    std::string problem_;
};

// The path of the Xvfb executable on PATH, if there is one.
std::optional<std::string> findXvfb();

} // namespace glimmo::testing
