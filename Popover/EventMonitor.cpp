#include "Popover/EventMonitor.h"

namespace popover {

EventMonitor::EventMonitor(glimmo::EventTypeMask mask, MonitorType monitorType, glimmo::GlobalEventHandler globalHandler,
                           glimmo::LocalEventHandler localHandler)
    : mask_(mask), monitorType_(monitorType), globalHandler_(std::move(globalHandler)),
      localHandler_(std::move(localHandler)) {}

EventMonitor::~EventMonitor() { stop(); }

void EventMonitor::start() {
    if (monitorType_ == MonitorType::global && !globalHandler_) return;
    if (monitorType_ == MonitorType::local && !localHandler_) return;
    stop();
    if (monitorType_ == MonitorType::global) {
        monitor_ = glimmo::addGlobalMonitorForEvents(mask_, globalHandler_);
    } else {
        monitor_ = glimmo::addLocalMonitorForEvents(mask_, localHandler_);
    }
}

void EventMonitor::stop() {
    if (!monitor_) return;
    glimmo::removeMonitor(monitor_);
    monitor_.reset();
}

} // namespace popover
