#include "platform/window/EventMonitors.h"

#include <algorithm>
#include <vector>

namespace glimmo {

namespace detail {
// The window layer's backend starts delivering input to the monitors (defined by the Qt side).
void installEventSources();
} // namespace detail

namespace {

class Monitor final : public MonitorToken {
public:
    EventTypeMask mask = 0;
    GlobalEventHandler global;
    LocalEventHandler local;
};

std::vector<std::shared_ptr<Monitor>>& monitors() {
    static std::vector<std::shared_ptr<Monitor>> list;
    return list;
}

} // namespace

std::shared_ptr<MonitorToken> addGlobalMonitorForEvents(EventTypeMask mask, GlobalEventHandler handler) {
    if (!handler) return nullptr;
    detail::installEventSources();
    auto monitor = std::make_shared<Monitor>();
    monitor->mask = mask;
    monitor->global = std::move(handler);
    monitors().push_back(monitor);
    return monitor;
}

std::shared_ptr<MonitorToken> addLocalMonitorForEvents(EventTypeMask mask, LocalEventHandler handler) {
    if (!handler) return nullptr;
    detail::installEventSources();
    auto monitor = std::make_shared<Monitor>();
    monitor->mask = mask;
    monitor->local = std::move(handler);
    monitors().push_back(monitor);
    return monitor;
}

void removeMonitor(const std::shared_ptr<MonitorToken>& token) {
    auto& list = monitors();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& m) { return m == token; }), list.end());
}

std::optional<Event> runLocalMonitors(const Event& event) {
    // A copy: handlers may add or remove monitors.
    const auto list = monitors();
    std::optional<Event> current = event;
    for (const auto& monitor : list) {
        if (!current) break;
        if (!monitor->local || !maskContains(monitor->mask, current->type)) continue;
        current = monitor->local(*current);
    }
    return current;
}

void runGlobalMonitors(const Event& event) {
    const auto list = monitors();
    for (const auto& monitor : list) {
        if (monitor->global && maskContains(monitor->mask, event.type)) monitor->global(&event);
    }
}

std::size_t installedMonitorCount() { return monitors().size(); }

} // namespace glimmo
