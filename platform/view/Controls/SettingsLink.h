#pragma once

// A button that opens the application's settings window (the action the window layer puts in the
// environment under OpenSettingsActionKey; without one the link does nothing).

#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/State.h"

#include <functional>

namespace glimmo {

class SettingsLink : public View<SettingsLink> {
public:
    // SettingsLink { label }
    explicit SettingsLink(const std::function<AnyView()>& label) : label_(label()) {}
    AnyView body() const;

private:
    AnyView label_;
    Environment<OpenSettingsActionKey::Value> open_ = Environment<OpenSettingsActionKey::Value>::key<OpenSettingsActionKey>();
};

} // namespace glimmo
