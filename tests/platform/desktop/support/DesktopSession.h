#pragma once

#include "ChildProcess.h"

#include <memory>
#include <string>

namespace glimmo::testing {

// An X server of the test's own (Xvfb on a free display, chosen by the server itself).
class XvfbServer {
public:
    // Whether the server resets as its last client leaves, refusing whoever connects meanwhile, as Xvfb
    // and Xorg do unless told not to.
    enum class Reset { never, whenTheLastClientLeaves };

    // nullptr (with the reason in `why`) when Xvfb is missing or does not start in time.
    static std::unique_ptr<XvfbServer> start(std::string& why, Reset reset = Reset::never);

    // ":<number>"
    const std::string& displayName() const { return displayName_; }

private:
    std::unique_ptr<ChildProcess> process_;
    std::string displayName_;
};

// A private session bus (dbus-daemon --session) whose services see the given display.
class SessionBus {
public:
    static std::unique_ptr<SessionBus> start(const std::string& displayName, std::string& why);

    const std::string& address() const { return address_; }

private:
    std::unique_ptr<ChildProcess> process_;
    std::string address_;
};

} // namespace glimmo::testing
