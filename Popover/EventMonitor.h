#pragma once

// One event monitor that the popover switches on when it opens and off when it closes.

#include "platform/window/EventMonitors.h"

namespace popover {

class EventMonitor {
public:
    enum class MonitorType : std::uint8_t { global, local };

    EventMonitor(glimmo::EventTypeMask mask, MonitorType monitorType, glimmo::GlobalEventHandler globalHandler,
                 glimmo::LocalEventHandler localHandler);
    // Removes an installed monitor.
    ~EventMonitor();
    EventMonitor(const EventMonitor&) = delete;
    EventMonitor& operator=(const EventMonitor&) = delete;

    // Installs the monitor when its handler exists. A second start replaces the first monitor instead
    // of leaving it installed where nothing could remove it.
    void start();
    void stop();
    bool isStarted() const { return monitor_ != nullptr; }
    glimmo::EventTypeMask mask() const { return mask_; }
    MonitorType monitorType() const { return monitorType_; }

private:
    std::shared_ptr<glimmo::MonitorToken> monitor_;
    glimmo::EventTypeMask mask_;
    MonitorType monitorType_;
    glimmo::GlobalEventHandler globalHandler_;
    glimmo::LocalEventHandler localHandler_;
};

// Left and right mouse down: what every monitor of the popover watches.
constexpr glimmo::EventTypeMask mouseDownMask =
    glimmo::eventMask(glimmo::EventType::leftMouseDown) | glimmo::eventMask(glimmo::EventType::rightMouseDown);

} // namespace popover
