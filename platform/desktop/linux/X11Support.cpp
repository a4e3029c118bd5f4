#include "platform/desktop/linux/X11Support.h"

#include "platform/desktop/DisplayLoss.h"
#include "platform/runtime/RunLoop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <array>
#include <mutex>
#include <set>
#include <string_view>

#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace glimmo::x11 {
namespace {

std::mutex registryMutex;
std::set<Display*> ourDisplays;
std::set<Display*> deadDisplays;
// Connections whose server went away; they cannot be closed (see DisplayCloser). Plain storage
// that is never destroyed, so the connections stay reachable to the end of the process.
std::array<Display*, 64> abandonedDisplays{};
std::size_t abandonedCount = 0;
XErrorHandler previousErrorHandler = nullptr;

int ignoreErrorsOnOurDisplays(Display* display, XErrorEvent* event) {
    {
        const std::lock_guard lock(registryMutex);
        if (ourDisplays.contains(display)) return 0;
    }
    return previousErrorHandler ? previousErrorHandler(display, event) : 0;
}

// With registryMutex held. Every connection of ours to the same server has lost it too, whether or not
// Xlib has seen it on that one yet.
void markServerGone(Display* display) {
    deadDisplays.insert(display);
    const std::string_view server = DisplayString(display);
    for (Display* other : ourDisplays) {
        if (server == DisplayString(other)) deadDisplays.insert(other);
    }
}

void markDead(Display* display, void*) {
    const std::lock_guard lock(registryMutex);
    markServerGone(display);
}

// Whether the server has closed the connection: its end is read on the socket without taking anything
// from it, and without a call into Xlib, whose I/O-error path, once its exit handler returns, unlocks
// the display a second time.
bool serverClosed(Display* display) {
    char byte = 0;
    const ssize_t got = ::recv(ConnectionNumber(display), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

// Xlib's default handler ends the process on whichever thread noticed, and so does the one the
// toolkit installs for its own connection: while the main thread is busy with the application,
// that tears the process down under it. A lost server is reported instead, so the application
// quits in order; every connection it is called for has an exit handler that returns.
int reportLostServer(Display* display) {
    {
        const std::lock_guard lock(registryMutex);
        if (ourDisplays.contains(display)) markServerGone(display);
    }
    reportDisplayLost();
    return 0;
}

} // namespace

void DisplayCloser::operator()(Display* display) const {
    bool dead = isDead(display);
    {
        const std::lock_guard lock(registryMutex);
        ourDisplays.erase(display);
        deadDisplays.erase(display);
        if (dead && abandonedCount < abandonedDisplays.size()) abandonedDisplays[abandonedCount++] = display;
    }
    // Closing a connection whose server is gone blocks forever inside Xlib; its memory is all
    // that is left of it, and it is kept rather than freed.
    if (!dead) XCloseDisplay(display);
}

void reportLostServers() { XSetIOErrorHandler(reportLostServer); }

DisplayPtr openDisplay(const std::string& name) {
    static std::once_flag installHandler;
    std::call_once(installHandler, [] { previousErrorHandler = XSetErrorHandler(ignoreErrorsOnOurDisplays); });
    reportLostServers();
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (!display) return nullptr;
    {
        const std::lock_guard lock(registryMutex);
        ourDisplays.insert(display);
    }
    XSetIOErrorExitHandler(display, markDead, nullptr);
    return DisplayPtr(display);
}

bool isDead(Display* display) {
    {
        const std::lock_guard lock(registryMutex);
        if (deadDisplays.contains(display)) return true;
    }
    if (!serverClosed(display)) return false;
    {
        const std::lock_guard lock(registryMutex);
        markServerGone(display);
    }
    reportDisplayLost();
    return true;
}

// Without a main loop nobody is listening, and the work is dropped.
void postToMainLoop(std::function<void()> work) { RunLoop::postToMain(std::move(work)); }

Atom atom(Display* display, const char* name) { return isDead(display) ? None : XInternAtom(display, name, False); }

std::vector<unsigned long> cardinalProperty(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (isDead(display)) return values;
    const int status = XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType,
                                          &actualFormat, &count, &remaining, &data);
    if (status == Success && data && actualType == type && actualFormat == 32) {
        // Xlib hands 32-bit properties back as longs.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        values.assign(items, items + count);
    }
    if (data) XFree(data);
    return values;
}

std::optional<unsigned long> firstCardinal(Display* display, Window window, Atom property, Atom type) {
    const auto values = cardinalProperty(display, window, property, type);
    if (values.empty()) return std::nullopt;
    return values.front();
}

bool windowExists(Display* display, Window window) {
    if (isDead(display)) return false;
    XWindowAttributes attributes{};
    // A window that is gone answers with BadWindow, which our error handler ignores.
    return XGetWindowAttributes(display, window, &attributes) != 0;
}

std::optional<std::pair<std::string, std::string>> windowClass(Display* display, Window window) {
    if (isDead(display)) return std::nullopt;
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return std::nullopt;
    std::pair<std::string, std::string> result{hint.res_name ? hint.res_name : "",
                                               hint.res_class ? hint.res_class : ""};
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return result;
}

EventReader::EventReader(DisplayPtr display, std::function<void(Display*, XEvent&)> handle)
    : display_(std::move(display)), handle_(std::move(handle)), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    thread_ = std::thread([this] { run(); });
}

EventReader::~EventReader() {
    stopping_ = true;
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    if (wakeFd_ >= 0) close(wakeFd_);
}

void EventReader::run() {
    Display* display = display_.get();
    const int xfd = ConnectionNumber(display);
    while (!stopping_) {
        // Asked before every read: XPending reads the socket once its queue is empty.
        while (!stopping_ && !isDead(display) && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            handle_(display, event);
        }
        if (stopping_ || isDead(display)) return;
        pollfd fds[2] = {{xfd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        // The timeout only guards against a missed wake-up; events wake us at once.
        if (poll(fds, 2, 1000) < 0 && errno != EINTR) return;
    }
}

} // namespace glimmo::x11
