#include "platform/view/Controls/Toggle.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/ControlParts.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

namespace glimmo {
namespace {

AnyView checkbox(bool on) {
    if (on) {
        return ZStack({RoundedRectangle(3).fill(Color::accentColor()), controls::checkmark(14, Color::white())})
            .frame(14, 14);
    }
    return ZStack({RoundedRectangle(3).fill(Color::controlColor()),
                   RoundedRectangle(3).strokeBorder(controls::borderColor(), 1)})
        .frame(14, 14);
}

AnyView switchTrack(bool on) {
    const AnyView knob = Circle().fill(Color::white()).shadow(Color::black().opacity(0.3), 1, 0, 0.5).frame(16, 16).padding(1);
    return ZStack(on ? Alignment::trailing() : Alignment::leading(),
                  {Capsule().fill(on ? Color::accentColor() : controls::trackColor()), knob})
        .frame(32, 18);
}

} // namespace

Toggle::Toggle(std::string title, Binding<bool> isOn) : isOn_(std::move(isOn)), label_(Text(std::move(title))) {}
Toggle::Toggle(Binding<bool> isOn, AnyView label) : isOn_(std::move(isOn)), label_(std::move(label)) {}

AnyView Toggle::body() const {
    const bool on = isOn_.get();
    const bool isSwitch = styleOverride_.value_or(*style_) == ToggleStyle::switchStyle;
    const AnyView indicator = isSwitch ? switchTrack(on) : checkbox(on);
    AnyView content = hideLabel_ || *labelsHidden_ ? indicator
                      : isSwitch     ? AnyView(HStack({label_, Spacer(), indicator}))
                                     : AnyView(HStack(VerticalAlignment::center(), 6, {indicator, label_}));
    auto binding = isOn_;
    return Button([binding] { binding.set(!binding.get()); }, content.contentShape(Rectangle()))
        .buttonStyle(controls::bareButtonStyle());
}

} // namespace glimmo
