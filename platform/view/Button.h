#pragma once

// Buttons: a label and an action that runs when a click that started on the button ends on it. The
// look comes from the button style in the environment (`buttonStyle`): automatic (a bordered push
// button), bordered, borderless or plain, or a custom style built from the configuration.

#include "platform/view/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace glimmo {

enum class ButtonRole : std::uint8_t { destructive, cancel };

struct ButtonStyleConfiguration {
    AnyView label;
    bool isPressed = false;
    std::optional<ButtonRole> role;
};

class AnyButtonStyle {
public:
    explicit AnyButtonStyle(std::function<AnyView(const ButtonStyleConfiguration&)> makeBody)
        : makeBody_(std::make_shared<std::function<AnyView(const ButtonStyleConfiguration&)>>(std::move(makeBody))) {}
    static AnyButtonStyle automatic();
    static AnyButtonStyle bordered();
    static AnyButtonStyle borderless();
    static AnyButtonStyle plain();
    AnyView makeBody(const ButtonStyleConfiguration& c) const { return (*makeBody_)(c); }
    bool operator==(const AnyButtonStyle& o) const { return makeBody_ == o.makeBody_; }

private:
    std::shared_ptr<std::function<AnyView(const ButtonStyleConfiguration&)>> makeBody_;
};

struct ButtonStyleKey {
    using Value = std::optional<AnyButtonStyle>;
    static Value defaultValue() { return std::nullopt; }
};

class Button : public View<Button> {
public:
    Button(std::string title, std::function<void()> action);
    Button(std::string title, ButtonRole role, std::function<void()> action);
    // Button(action:label:)
    Button(std::function<void()> action, AnyView label);
    Button(ButtonRole role, std::function<void()> action, AnyView label);
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::optional<ButtonRole> role_;
    std::function<void()> action_;
    AnyView label_;
};

} // namespace glimmo
