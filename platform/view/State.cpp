#include "platform/view/State.h"

#include "platform/foundation/UserDefaults.h"

namespace glimmo::detail {
namespace {
thread_local InstallScope* activeScope = nullptr;
} // namespace

void invalidate(const std::weak_ptr<Invalidator>& target) {
    if (auto t = target.lock()) t->invalidate();
}

DynamicProperty::DynamicProperty() {
    if (activeScope) activeScope->properties.push_back(this);
}

DynamicProperty::DynamicProperty(const DynamicProperty&) {
    if (activeScope) activeScope->properties.push_back(this);
}

InstallScope::InstallScope(std::vector<DynamicProperty*>& properties) : properties(properties), previous_(activeScope) {
    activeScope = this;
}

InstallScope::~InstallScope() { activeScope = previous_; }

Subscription observeDefaults(UserDefaults& defaults, std::string key, std::weak_ptr<Invalidator> target) {
    return defaults.didChange.connect([key = std::move(key), target = std::move(target)](const std::string& changed) {
        if (changed == key) invalidate(target);
    });
}

std::optional<std::string> readDefaultsString(UserDefaults& d, const std::string& key) { return d.string(key); }
std::optional<bool> readDefaultsBool(UserDefaults& d, const std::string& key) { return d.boolean(key); }
std::optional<std::int64_t> readDefaultsInteger(UserDefaults& d, const std::string& key) { return d.integer(key); }
std::optional<double> readDefaultsDouble(UserDefaults& d, const std::string& key) { return d.doubleValue(key); }
void writeDefaults(UserDefaults& d, const std::string& key, const std::string& v) { d.set(key, v); }
void writeDefaults(UserDefaults& d, const std::string& key, bool v) { d.set(key, v); }
void writeDefaults(UserDefaults& d, const std::string& key, std::int64_t v) { d.set(key, v); }
void writeDefaults(UserDefaults& d, const std::string& key, double v) { d.set(key, v); }
UserDefaults& standardDefaults() { return UserDefaults::standard(); }

} // namespace glimmo::detail
