#pragma once

// A toggle bound to a Boolean: a check box with its title (the desktop default), or a switch. A click
// anywhere on the control flips the bound value; Space does too when it has the focus.

#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/State.h"

#include <string>

namespace glimmo {

class Toggle : public View<Toggle> {
public:
    Toggle(std::string title, Binding<bool> isOn);
    // Toggle(isOn:label:)
    Toggle(Binding<bool> isOn, AnyView label);
    AnyView toggleStyle(ToggleStyle style) const { return glimmo::toggleStyle(*this, style); }
    AnyView labelsHidden() const { return glimmo::labelsHidden(*this); }
    AnyView body() const;

private:
    Binding<bool> isOn_;
    AnyView label_;
    Environment<ToggleStyle> style_ = Environment<ToggleStyle>::key<ToggleStyleKey>();
    Environment<bool> labelsHidden_ = Environment<bool>::key<LabelsHiddenKey>();
};

} // namespace glimmo
