#pragma once

// An X display of the test's own in front of a real X server: it passes the connections it takes on to
// the server, except those its rule turns away, which it closes before they get an answer, as a
// server that refuses a client does. Listens on an abstract socket only, so no file is left behind.

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace glimmo::testing {

class ForwardingDisplay {
public:
    enum class Rule {
        // Every connection after the first: a display that lets the start's check in but not the window
        // toolkit.
        refuseAfterTheFirst,
        // A connection that comes when every earlier one has closed: a server that resets as its last
        // client leaves (Xvfb without -noreset) and turns away whoever connects meanwhile.
        refuseWhileResetting,
    };

    // Forwards to the server of `serverDisplay` (":<number>"). `displayName()` is empty, with the reason
    // in `why`, when no display number was free.
    ForwardingDisplay(const std::string& serverDisplay, Rule rule, std::string& why);
    ~ForwardingDisplay();
    ForwardingDisplay(const ForwardingDisplay&) = delete;
    ForwardingDisplay& operator=(const ForwardingDisplay&) = delete;

    // ":<number>"
    const std::string& displayName() const { return displayName_; }
    int refusedConnections() const { return refused_; }

private:
    struct Relays;
    void serve();

    std::string serverSocket_;
    Rule rule_;
    std::string displayName_;
    int listening_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<int> refused_{0};
    std::unique_ptr<Relays> relays_;
    std::thread thread_;
};

} // namespace glimmo::testing
