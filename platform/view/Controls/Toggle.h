#pragma once

// A toggle bound to a Boolean: a check box with its title (the desktop default), or a switch. A click
// anywhere on the control flips the bound value.

#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/State.h"

#include <optional>
#include <string>

namespace glimmo {

class Toggle : public View<Toggle> {
public:
    Toggle(std::string title, Binding<bool> isOn);
    // Toggle(isOn:label:)
    Toggle(Binding<bool> isOn, AnyView label);
    // On the toggle itself these return the toggle, so they chain in any order with each other.
    Toggle toggleStyle(ToggleStyle style) const {
        Toggle copy = *this;
        copy.styleOverride_ = style;
        return copy;
    }
    Toggle labelsHidden() const {
        Toggle copy = *this;
        copy.hideLabel_ = true;
        return copy;
    }
    AnyView body() const;

private:
    Binding<bool> isOn_;
    AnyView label_;
    std::optional<ToggleStyle> styleOverride_;
    bool hideLabel_ = false;
    Environment<ToggleStyle> style_ = Environment<ToggleStyle>::key<ToggleStyleKey>();
    Environment<bool> labelsHidden_ = Environment<bool>::key<LabelsHiddenKey>();
};

} // namespace glimmo
