#pragma once

// The concrete text styles. Font styles change one member of the container's font description and do
// nothing when the container has none; attribute styles set one attribute of the kit's standard keys,
// and an absent value removes it.

#include "RidadoziRI/Styles/FontProperties.h"
#include "RidadoziRI/Styles/RelativeSize.h"
#include "RidadoziRI/Styles/TextStyle.h"

#include "platform/view/AttributedString.h"
#include "platform/view/Color.h"
#include "platform/view/Font.h"

#include <optional>
#include <variant>

namespace ridadozi {

struct FontFamily {
    FontProperties::Family family;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct FontFamilyVariant {
    FontProperties::FamilyVariant familyVariant;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct FontCapsVariant {
    FontProperties::CapsVariant capsVariant;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct FontDigitVariant {
    FontProperties::DigitVariant digitVariant;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct FontStyle {
    FontProperties::Style style;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct FontWeight {
    glimmo::Font::Weight weight;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct FontWidth {
    glimmo::Font::Width width;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

// Points set the base size and reset the scale; em multiplies the scale; rem sets the scale.
struct FontSize {
    struct Size {
        std::variant<glimmo::CGFloat, RelativeSize> value;
        static Size points(glimmo::CGFloat points) { return {points}; }
        static Size relative(RelativeSize size) { return {size}; }
    };
    Size size;

    explicit FontSize(glimmo::CGFloat points) : size(Size::points(points)) {}
    explicit FontSize(RelativeSize relative) : size(Size::relative(relative)) {}
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct ForegroundColor {
    std::optional<glimmo::Color> foregroundColor;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct BackgroundColor {
    std::optional<glimmo::Color> backgroundColor;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct StrikethroughStyle {
    std::optional<glimmo::LineStyle> lineStyle;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct UnderlineStyle {
    std::optional<glimmo::LineStyle> lineStyle;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct TextKerning {
    std::optional<glimmo::CGFloat> kern;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

struct TextTracking {
    std::optional<glimmo::CGFloat> tracking;
    void applyAttributes(glimmo::AttributeContainer& attributes) const;
};

} // namespace ridadozi
