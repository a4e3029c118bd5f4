#pragma once

#include "platform/view/Geometry.h"

#include <cstddef>
#include <optional>

namespace ridadozi {

struct FontProperties;

// A length relative to the current font: `em` follows the scaled size (size × scale), `rem` the base
// size alone. Turned into whole points at layout time, halves rounded away from zero.
struct RelativeSize {
    enum class Unit { em, rem };

    glimmo::CGFloat value = 0;
    Unit unit = Unit::em;

    static RelativeSize em(glimmo::CGFloat value) { return {value, Unit::em}; }
    static RelativeSize rem(glimmo::CGFloat value) { return {value, Unit::rem}; }
    // The zero margin: 0 rem.
    static const RelativeSize& zero();

    // Points against `fontProperties`; without a description, size 13 and scale 1.
    glimmo::CGFloat points(const std::optional<FontProperties>& fontProperties) const;

    bool operator==(const RelativeSize&) const = default;
};

// Nearest whole number, halves away from zero (2.5 gives 3, -2.5 gives -3).
glimmo::CGFloat roundedPoints(glimmo::CGFloat value);

} // namespace ridadozi
