#pragma once

#include "platform/view/Color.h"
#include "platform/view/DisplayList.h"
#include "platform/view/Geometry.h"

#include <memory>
#include <optional>
#include <variant>

namespace glimmo {

struct LinearGradient {
    Gradient gradient;
    UnitPoint startPoint = UnitPoint::top();
    UnitPoint endPoint = UnitPoint::bottom();
};

// Translucent materials; drawn as a tinted translucent fill of the window background.
enum class Material : std::uint8_t { ultraThinMaterial, thinMaterial, regularMaterial, thickMaterial, ultraThickMaterial, bar };

// The hierarchical foreground styles (`.primary`, `.secondary`, ...): the environment's foreground
// colour, or the label colours when none is set.
enum class HierarchicalShapeStyle : std::uint8_t { primary, secondary, tertiary, quaternary };

// How a shape or text is filled: a colour, a gradient, a material or a hierarchical style.
class AnyShapeStyle {
public:
    AnyShapeStyle(Color c) : style_(std::move(c)) {}                // NOLINT: implicit like a ShapeStyle
    AnyShapeStyle(LinearGradient g) : style_(std::move(g)) {}       // NOLINT
    AnyShapeStyle(Material m) : style_(m) {}                        // NOLINT
    AnyShapeStyle(HierarchicalShapeStyle h) : style_(h) {}          // NOLINT

    // The paint for a shape whose bounds are `rect` (window coordinates), with the environment's
    // colour scheme and foreground colour.
    Paint resolve(ColorScheme scheme, const CGRect& rect, const std::optional<Color>& foreground) const;
    bool isMaterial() const { return std::holds_alternative<Material>(style_); }
    // A plain colour when the style is one (used for text, which cannot take gradients).
    std::optional<Color> color(const std::optional<Color>& foreground) const;

private:
    std::variant<Color, LinearGradient, Material, HierarchicalShapeStyle> style_;
};

// The environment's foreground style when it is not a plain colour (a plain colour is kept under
// ForegroundColorKey, which text reads).
struct ForegroundStyleKey {
    using Value = std::shared_ptr<const AnyShapeStyle>;
    static Value defaultValue() { return nullptr; }
};

} // namespace glimmo
