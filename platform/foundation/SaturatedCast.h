#pragma once

#include <concepts>
#include <limits>

namespace glimmo {

// `value` truncated toward zero, as a cast does, except that a value beyond Int's range gives the
// nearest end of it and NaN gives 0: a plain cast of either is undefined behaviour.
template <std::integral Int>
constexpr Int saturatedCast(double value) {
    constexpr Int lowest = std::numeric_limits<Int>::min();
    constexpr Int highest = std::numeric_limits<Int>::max();
    if (value != value) return 0;
    // Both ends convert to doubles exactly or round up to a power of two, so a value below the upper
    // comparison truncates to something Int holds.
    if (value <= static_cast<double>(lowest)) return lowest;
    if (value >= static_cast<double>(highest)) return highest;
    return static_cast<Int>(value);
}

} // namespace glimmo
