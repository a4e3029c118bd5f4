#include "platform/foundation/NotificationCenter.h"

#include <map>
#include <mutex>

namespace glimmo {

struct NotificationCenter::Registry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Signal<const Notification&>>, std::less<>> signals;

    std::shared_ptr<Signal<const Notification&>> signalFor(const std::string& name, bool create) {
        const std::lock_guard lock(mutex);
        const auto found = signals.find(name);
        if (found != signals.end()) {
            return found->second;
        }
        if (!create) {
            return nullptr;
        }
        auto signal = std::make_shared<Signal<const Notification&>>();
        signals.emplace(name, signal);
        return signal;
    }
};

NotificationCenter::NotificationCenter() : registry_(std::make_shared<Registry>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

Subscription NotificationCenter::addObserver(std::string name, std::function<void(const Notification&)> observer) {
    return registry_->signalFor(name, true)->connect(std::move(observer));
}

void NotificationCenter::post(const std::string& name) {
    if (const auto signal = registry_->signalFor(name, false)) {
        signal->emit(Notification{name});
    }
}

} // namespace glimmo
