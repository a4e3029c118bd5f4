#pragma once

// Watches Qt's own connection to the X server, so that losing it ends the application in order.
// Qt's xcb platform ends the process with exit(1) from inside the event loop as soon as its event
// source finds the connection broken ("The X11 connection broke ... Did the X11 server die?"),
// while the application and its threads are still running. A source of the same GLib main context
// with a higher priority finds the broken connection first, or any loss reported by our own
// connections, reports it (DisplayLoss.h) and has the main loop quit; from then on it is the one
// dispatched, so Qt's source never runs again. Nothing else runs from the loop either: after a loss
// the shutdown must not wait on the main loop (posted work or timers), only on its own threads.

#include <memory>

namespace glimmo {

class QtDisplayLossWatch {
public:
    // Needs the QApplication, and outlives neither it nor its event loop. Watches nothing when Qt's
    // event dispatcher is not GLib's (QT_NO_GLIB).
    QtDisplayLossWatch();
    ~QtDisplayLossWatch();
    QtDisplayLossWatch(const QtDisplayLossWatch&) = delete;
    QtDisplayLossWatch& operator=(const QtDisplayLossWatch&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
