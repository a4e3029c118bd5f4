#pragma once

// Internal to the Linux desktop services: an Xlib connection with a reader thread. Never include
// this from a public header.

#include <X11/Xlib.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace glimmo::x11 {

struct DisplayCloser {
    void operator()(Display* display) const;
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Opens a connection of our own. X protocol errors on it are ignored (a window can vanish between
// two requests) and a lost server marks it dead and is reported (DisplayLoss.h) instead of ending
// the process. Empty name: $DISPLAY. nullptr when the display cannot be opened.
DisplayPtr openDisplay(const std::string& name);

// Makes a lost server on any Xlib connection of the process a report (DisplayLoss.h) rather than
// the end of the process. Xlib has one such handler per process and the toolkit sets its own when
// it connects: call again after that. A connection that is not ours needs an exit handler that
// returns as well (XSetIOErrorExitHandler), or Xlib still ends the process after the report.
void reportLostServers();

// Whether the server of this connection has gone away: Xlib's I/O error was seen on it or on another
// connection of ours to the same server, or the server's end is read on its socket (which reports the
// loss, as the I/O error does). Then no Xlib call is made on it: each function here asks first, and so
// does any caller before it calls Xlib itself.
bool isDead(Display* display);

// None once the server is gone.
Atom atom(Display* display, const char* name);

// A 32-bit property read as a list of values (windows, cardinals); empty when missing.
std::vector<unsigned long> cardinalProperty(Display* display, Window window, Atom property, Atom type);
std::optional<unsigned long> firstCardinal(Display* display, Window window, Atom property, Atom type);

// Whether the window still exists (a window manager may name one that was just destroyed).
bool windowExists(Display* display, Window window);

// WM_CLASS as (instance name, class name); nullopt when missing.
std::optional<std::pair<std::string, std::string>> windowClass(Display* display, Window window);

// Posts work from a reader thread to the main run loop. Without a main loop (the application is
// shutting down, or a test removed it) the work is dropped rather than ending the process.
void postToMainLoop(std::function<void()> work);

// Calls `handle` on its own thread for every event of the connection, until destroyed. The
// connection is used only by that thread once the reader runs.
class EventReader {
public:
    EventReader(DisplayPtr display, std::function<void(Display*, XEvent&)> handle);
    ~EventReader();
    EventReader(const EventReader&) = delete;
    EventReader& operator=(const EventReader&) = delete;

private:
    void run();

    DisplayPtr display_;
    std::function<void(Display*, XEvent&)> handle_;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace glimmo::x11
