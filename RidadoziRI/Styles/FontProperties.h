#pragma once

// The font description that text styles build up in attributed text under the key "fontProperties";
// it becomes a platform font only when inline content turns into a Text.

#include "platform/view/AnyHashable.h"
#include "platform/view/AttributedString.h"
#include "platform/view/Font.h"
#include "platform/view/Geometry.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace ridadozi {

struct FontProperties {
    // A system font of a design, or a font by name.
    struct Family {
        enum class Kind { system, custom };
        Kind kind = Kind::system;
        glimmo::Font::Design design = glimmo::Font::Design::standard;
        std::string name;

        static Family system(glimmo::Font::Design design = glimmo::Font::Design::standard) {
            return {Kind::system, design, {}};
        }
        static Family custom(std::string name) { return {Kind::custom, glimmo::Font::Design::standard, std::move(name)}; }
        bool operator==(const Family& o) const {
            return kind == o.kind && (kind == Kind::system ? design == o.design : name == o.name);
        }
    };
    enum class FamilyVariant { normal, monospaced };
    enum class CapsVariant { normal, smallCaps, lowercaseSmallCaps, uppercaseSmallCaps };
    enum class DigitVariant { normal, monospaced };
    enum class Style { normal, italic };

    static constexpr glimmo::CGFloat defaultPointSize = 13;

    Family family = Family::system();
    FamilyVariant familyVariant = FamilyVariant::normal;
    CapsVariant capsVariant = CapsVariant::normal;
    DigitVariant digitVariant = DigitVariant::normal;
    Style style = Style::normal;
    glimmo::Font::Weight weight = glimmo::Font::Weight::regular();
    // Holds a Font::Width once one was set, `standard` included.
    std::optional<glimmo::AnyHashable> widthStorage;
    glimmo::CGFloat size = defaultPointSize;
    glimmo::CGFloat scale = 1;

    // An empty box (or one without a width) reads as `standard`; a write always fills the box.
    glimmo::Font::Width width() const;
    void setWidth(glimmo::Font::Width width);

    // size × scale, rounded to the nearest whole point, halves away from zero.
    glimmo::CGFloat effectiveSize() const;

    // As a text style: replaces the container's description with this one.
    void applyAttributes(glimmo::AttributeContainer& attributes) const;

    bool operator==(const FontProperties& o) const;
    std::size_t hashValue() const;
};

// The attributed-string key of the font description.
struct FontPropertiesAttribute {
    using Value = FontProperties;
    static constexpr const char* name = "fontProperties";
};

// The library's own attribute keys, beside the kit's standard ones.
struct RidadoziRIAttributes {
    using fontProperties = FontPropertiesAttribute;
};

// The platform font of a description (point size, family, variants, weight, width, italic).
glimmo::Font fontWithProperties(const FontProperties& properties);

// A copy of `text` in which every run carrying a description has the matching font instead.
glimmo::AttributedString applyingFontProperties(const glimmo::AttributedString& text);

} // namespace ridadozi

template <>
struct std::hash<ridadozi::FontProperties> {
    std::size_t operator()(const ridadozi::FontProperties& p) const { return p.hashValue(); }
};
