#include "platform/view/Controls/Alert.h"

#include "platform/view/Controls/ControlParts.h"
#include "platform/view/Presentation.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <memory>

namespace glimmo {
namespace {

AnyView dialog(const std::string& title, const Binding<bool>& isPresented, const std::vector<AlertButton>& actions,
               const std::optional<std::string>& message) {
    std::vector<AnyView> buttons;
    buttons.push_back(Spacer());
    for (const AlertButton& b : actions) {
        auto presented = isPresented;
        auto action = b.action;
        const auto run = [presented, action] {
            presented.set(false);
            if (action) action();
        };
        buttons.push_back((b.role ? Button(b.title, *b.role, run) : Button(b.title, run)).accessibilityLabel(b.title));
    }
    std::vector<AnyView> rows{Text(title).font(Font::headline())};
    if (message) rows.push_back(Text(*message).font(Font::callout()).fixedSize(false, true));
    rows.push_back(HStack(VerticalAlignment::center(), 8, std::move(buttons)));
    return VStack(HorizontalAlignment::leading(), 10, std::move(rows))
        .padding(18)
        .frame(280, std::nullopt)
        .background(controls::bezel(10, Color::windowBackgroundColor()))
        .shadow(Color::black().opacity(0.3), 12, 0, 4);
}

} // namespace

AnyView alert(AnyView view, std::string title, Binding<bool> isPresented, std::vector<AlertButton> actions,
              std::optional<std::string> message) {
    if (!isPresented.get()) return presentation(std::move(view), std::nullopt, PresentationPlacement::window);
    auto presented = isPresented;
    auto buttons = actions;
    const auto handleKey = [presented, buttons](const KeyEvent& e) {
        const auto pick = [&](bool cancel) -> const AlertButton* {
            for (const AlertButton& b : buttons) {
                if ((b.role == ButtonRole::cancel) == cancel) return &b;
            }
            return nullptr;
        };
        if (e.key != "Escape" && e.key != "Return") return false;
        const AlertButton* chosen = pick(e.key == "Escape");
        presented.set(false);
        if (chosen && chosen->action) chosen->action();
        return true;
    };
    // The alert lies in the window's top layer: its dimming covers the whole window and takes every
    // click meant for the views below, and the alert has the keyboard focus.
    const AnyView layer = ZStack(Alignment::center(), {
        Rectangle().fill(Color::black().opacity(0.15)),
        dialog(title, isPresented, actions, message),
    });
    return presentation(std::move(view), layer.focused(Binding<bool>::constant(true)).onKeyPress(handleKey),
                        PresentationPlacement::window);
}

} // namespace glimmo
