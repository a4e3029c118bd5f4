#pragma once

// Event monitors. A local monitor sees the application's own input events of its mask before they are
// delivered and decides what is delivered (returning nothing drops the event). A global monitor is told
// of mouse presses that go to other applications.
//
// On X11 an application cannot see other clients' clicks without grabbing the pointer, which would
// take the clicks away from them. So a global monitor reports a left-mouse-down whenever the
// application loses the keyboard focus to another client while the pointer is not over one of our own
// status items (a click in another application takes the focus from our key window). It therefore only
// notices clicks outside while one of our windows has the focus.

#include "platform/window/WindowEvents.h"

#include <functional>
#include <memory>
#include <optional>

namespace glimmo {

// Identifies an installed monitor; removeMonitor takes it back.
class MonitorToken {
public:
    virtual ~MonitorToken() = default;
};

using GlobalEventHandler = std::function<void(const Event*)>;
using LocalEventHandler = std::function<std::optional<Event>(const Event&)>;

std::shared_ptr<MonitorToken> addGlobalMonitorForEvents(EventTypeMask mask, GlobalEventHandler handler);
std::shared_ptr<MonitorToken> addLocalMonitorForEvents(EventTypeMask mask, LocalEventHandler handler);
void removeMonitor(const std::shared_ptr<MonitorToken>& token);

// Runs the local monitors for an event of the application; returns the event to deliver, if any.
// The window layer calls it for every input event; status items call it for their clicks.
std::optional<Event> runLocalMonitors(const Event& event);
// Tells the global monitors about an event outside the application.
void runGlobalMonitors(const Event& event);

// Number of installed monitors (for tests).
std::size_t installedMonitorCount();

} // namespace glimmo
