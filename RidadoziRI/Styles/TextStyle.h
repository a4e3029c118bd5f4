#pragma once

// Text styles: small values that change the attributes of a run of text. Styles compose by pairing;
// in a pair the second style acts after the first, so it wins where both touch the same thing.

#include "platform/view/AttributedString.h"

#include <concepts>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace ridadozi {

template <class S>
concept TextStyle = std::copy_constructible<S> && requires(const S& style, glimmo::AttributeContainer& attributes) {
    style.applyAttributes(attributes);
};

// Changes nothing.
struct EmptyTextStyle {
    void applyAttributes(glimmo::AttributeContainer&) const {}
};

// Any text style, type-erased; copies share the style.
class AnyTextStyle {
public:
    AnyTextStyle() : AnyTextStyle(EmptyTextStyle{}) {}
    template <class S>
        requires(!std::same_as<std::remove_cvref_t<S>, AnyTextStyle> && TextStyle<S>)
    AnyTextStyle(S style) // NOLINT: any style converts, as a protocol value does
        : box_(std::make_shared<const Box<S>>(std::move(style))) {}

    void applyAttributes(glimmo::AttributeContainer& attributes) const { box_->applyAttributes(attributes); }
    // What the style makes of text with no attributes, worked out once per style value: a style that
    // adds to an enclosing one (nested quotes) starts from the enclosing one's result.
    const glimmo::AttributeContainer& resolvedAttributes() const {
        if (!box_->resolved) box_->resolved = box_->resolve();
        return *box_->resolved;
    }
    // The wrapped style when it is of type S.
    template <class S>
    const S* as() const {
        auto* box = dynamic_cast<const Box<S>*>(box_.get());
        return box ? &box->style : nullptr;
    }

private:
    struct BoxBase {
        virtual ~BoxBase() = default;
        virtual void applyAttributes(glimmo::AttributeContainer& attributes) const = 0;
        virtual glimmo::AttributeContainer resolve() const = 0;
        mutable std::optional<glimmo::AttributeContainer> resolved;
    };
    template <class S>
    struct Box final : BoxBase {
        explicit Box(S s) : style(std::move(s)) {}
        void applyAttributes(glimmo::AttributeContainer& attributes) const override { style.applyAttributes(attributes); }
        glimmo::AttributeContainer resolve() const override {
            glimmo::AttributeContainer attributes;
            if constexpr (requires { style.s0.resolvedAttributes(); }) {
                attributes = style.s0.resolvedAttributes();
                style.s1.applyAttributes(attributes);
            } else {
                style.applyAttributes(attributes);
            }
            return attributes;
        }
        S style;
    };
    std::shared_ptr<const BoxBase> box_;
};

// The combining steps that turn styles written one after another into one style.
struct TextStyleBuilder {
    template <TextStyle S0, TextStyle S1>
    struct Pair {
        S0 s0;
        S1 s1;
        void applyAttributes(glimmo::AttributeContainer& attributes) const {
            s0.applyAttributes(attributes);
            s1.applyAttributes(attributes);
        }
    };

    // One branch of a two-way choice.
    template <TextStyle First, TextStyle Second>
    struct _Conditional {
        std::variant<First, Second> storage;
        void applyAttributes(glimmo::AttributeContainer& attributes) const {
            std::visit([&](const auto& style) { style.applyAttributes(attributes); }, storage);
        }
    };

    // A style under a condition: applies the wrapped style when there is one.
    template <TextStyle S>
    struct Optional {
        std::optional<S> style;
        void applyAttributes(glimmo::AttributeContainer& attributes) const {
            if (style) style->applyAttributes(attributes);
        }
    };

    template <TextStyle S0, TextStyle S1>
    static Pair<S0, S1> makePair(S0 accumulated, S1 next) {
        return {std::move(accumulated), std::move(next)};
    }
    template <TextStyle First, TextStyle Second>
    static _Conditional<First, Second> makeFirst(First style) {
        return {std::variant<First, Second>(std::in_place_index<0>, std::move(style))};
    }
    template <TextStyle First, TextStyle Second>
    static _Conditional<First, Second> makeSecond(Second style) {
        return {std::variant<First, Second>(std::in_place_index<1>, std::move(style))};
    }
    template <TextStyle S>
    static Optional<S> makeOptional(std::optional<S> style) {
        return {std::move(style)};
    }
    template <TextStyle S>
    static AnyTextStyle makeErased(S style) {
        return AnyTextStyle(std::move(style));
    }

    // A sequence of styles: none gives EmptyTextStyle, one gives itself, and each further style is
    // paired after the styles before it: build(a, b, c) is Pair(Pair(a, b), c).
    static EmptyTextStyle build() { return {}; }
    template <TextStyle S>
    static S build(S style) { return style; }
    template <TextStyle S0, TextStyle S1, TextStyle... Rest>
    static auto build(S0 first, S1 second, Rest... rest) {
        return build(makePair(std::move(first), std::move(second)), std::move(rest)...);
    }
};

} // namespace ridadozi
