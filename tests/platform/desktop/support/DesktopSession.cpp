#include "DesktopSession.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

namespace glimmo::testing {

std::unique_ptr<XvfbServer> XvfbServer::start(std::string& why, Reset reset) {
    if (!programExists("Xvfb")) {
        why = "Xvfb is not installed (Debian package xvfb)";
        return nullptr;
    }
    auto server = std::make_unique<XvfbServer>();
    ChildProcess::Options options;
    options.passWriteEndAsFd = 3;
    std::vector<std::string> arguments{"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
    if (reset == Reset::never) arguments.emplace_back("-noreset");
    server->process_ = std::make_unique<ChildProcess>(arguments, options);
    // Generous limits throughout: the tests may share a small, busy machine.
    const auto number = server->process_->readLine(60);
    if (!number || number->empty()) {
        why = "Xvfb did not report its display within 60 seconds";
        return nullptr;
    }
    server->displayName_ = ":" + *number;
    // The display number is written once the server listens; make sure a client gets through.
    // (-noreset: otherwise the server resets when this last client leaves, refusing the next one.)
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (Display* display = XOpenDisplay(server->displayName_.c_str())) {
            XCloseDisplay(display);
            return server;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    why = "cannot connect to Xvfb on " + server->displayName_;
    return nullptr;
}

std::unique_ptr<SessionBus> SessionBus::start(const std::string& displayName, std::string& why) {
    if (!programExists("dbus-daemon")) {
        why = "dbus-daemon is not installed (Debian package dbus-daemon)";
        return nullptr;
    }
    auto bus = std::make_unique<SessionBus>();
    ChildProcess::Options options;
    options.captureStandardOutput = true;
    // Activated services (the accessibility bus launcher) inherit this environment.
    options.environment = {{"DISPLAY", displayName}, {"GSETTINGS_BACKEND", "memory"}, {"NO_AT_BRIDGE", "0"}};
    bus->process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"}, options);
    const auto address = bus->process_->readLine(60);
    if (!address || address->empty()) {
        why = "dbus-daemon did not print its address within 60 seconds";
        return nullptr;
    }
    bus->address_ = *address;
    return bus;
}

} // namespace glimmo::testing
