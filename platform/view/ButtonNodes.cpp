#include "platform/view/Button.h"
#include "platform/view/NodeSupport.h"
#include "platform/view/Shapes.h"
#include "platform/view/Text.h"
#include "platform/view/ViewGraph.h"

namespace glimmo {
namespace {

struct ButtonData {
    std::optional<ButtonRole> role;
    std::function<void()> action;
    AnyView label;
};

class ButtonNode final : public SingleChildNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        data_ = contentData<ButtonNode, ButtonData>(c);
        rebuild();
    }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        if (!frame.contains(p)) return nullptr;
        if (ViewNode* hit = SingleChildNode::hitTest(p, purpose)) return hit;
        return purpose == HitPurpose::pointer ? this : nullptr;
    }
    bool handlePointer(const PointerEvent& e) override {
        if (!environment.isEnabled() || e.button != MouseButton::left) return false;
        switch (e.kind) {
        case PointerEvent::Kind::pressed:
            setPressed(true);
            return true;
        case PointerEvent::Kind::moved:
            setPressed(frame.contains(e.location));
            return true;
        case PointerEvent::Kind::released:
            setPressed(false);
            if (frame.contains(e.location) && data_.action) data_.action();
            return true;
        case PointerEvent::Kind::exited:
            return false;
        }
        return false;
    }
    bool acceptsFocus() const override { return false; }
    bool handleKey(const KeyEvent& e) override {
        if (environment.isEnabled() && (e.key == "Space" || e.key == "Return") && data_.action) {
            data_.action();
            return true;
        }
        return false;
    }

private:
    void setPressed(bool pressed) {
        if (pressed == pressed_) return;
        pressed_ = pressed;
        rebuild();
        if (graph) graph->setNeedsUpdate();
    }
    void rebuild() {
        const AnyButtonStyle style = environment.get<ButtonStyleKey>().value_or(AnyButtonStyle::automatic());
        AnyView body = style.makeBody(ButtonStyleConfiguration{data_.label, pressed_, data_.role});
        if (!environment.isEnabled()) body = body.opacity(0.5);
        reconcileSingleChild(body, environment);
    }
    ButtonData data_;
    bool pressed_ = false;
};

AnyView roleTinted(const ButtonStyleConfiguration& c) {
    if (c.role == ButtonRole::destructive) return c.label.foregroundColor(Color::red());
    return c.label;
}

AnyView borderedBody(const ButtonStyleConfiguration& c) {
    const Color fill = c.isPressed ? Color(RGBA{0.82, 0.82, 0.82, 1}, RGBA{0.45, 0.45, 0.45, 1}) : Color::controlColor();
    return roleTinted(c)
        .padding(EdgeInsets{3.5, 10, 3.5, 10})
        .background(RoundedRectangle(5).fill(fill))
        .overlay(RoundedRectangle(5).strokeBorder(Color::separatorColor(), 1));
}

} // namespace

AnyButtonStyle AnyButtonStyle::automatic() {
    static const AnyButtonStyle style(borderedBody);
    return style;
}
AnyButtonStyle AnyButtonStyle::bordered() { return automatic(); }
AnyButtonStyle AnyButtonStyle::borderless() {
    static const AnyButtonStyle style([](const ButtonStyleConfiguration& c) { return roleTinted(c).opacity(c.isPressed ? 0.6 : 1); });
    return style;
}
AnyButtonStyle AnyButtonStyle::plain() {
    static const AnyButtonStyle style([](const ButtonStyleConfiguration& c) { return roleTinted(c).opacity(c.isPressed ? 0.7 : 1); });
    return style;
}

Button::Button(std::string title, std::function<void()> action) : action_(std::move(action)), label_(Text(std::move(title))) {}
Button::Button(std::string title, ButtonRole role, std::function<void()> action)
    : role_(role), action_(std::move(action)), label_(Text(std::move(title))) {}
Button::Button(std::function<void()> action, AnyView label) : action_(std::move(action)), label_(std::move(label)) {}
Button::Button(ButtonRole role, std::function<void()> action, AnyView label)
    : role_(role), action_(std::move(action)), label_(std::move(label)) {}

std::shared_ptr<const ViewContent> Button::toContent() const {
    return makeView<ButtonNode, ButtonData>(ButtonData{role_, action_, label_}).content();
}

namespace modifiers {
AnyView buttonStyle(AnyView v, const AnyButtonStyle& style) {
    return environment(std::move(v), [style](EnvironmentValues& e) { e.set<ButtonStyleKey>(style); });
}
} // namespace modifiers

} // namespace glimmo
