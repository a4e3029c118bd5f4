#pragma once

// An alert presented over a view while a Boolean binding is true: its title, an optional message and
// its buttons. Any button closes it (sets the binding false) and then runs its action; Escape closes
// it like a cancel button, Return runs the first button that is not a cancel button. While it is shown
// no view of the window takes clicks: the alert and its dimming lie in the window's top layer.

#include "platform/view/Button.h"
#include "platform/view/State.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

struct AlertButton {
    std::string title;
    std::optional<ButtonRole> role;
    std::function<void()> action;
};

// alert(_:isPresented:actions:message:)
AnyView alert(AnyView view, std::string title, Binding<bool> isPresented, std::vector<AlertButton> actions,
              std::optional<std::string> message = std::nullopt);

} // namespace glimmo
