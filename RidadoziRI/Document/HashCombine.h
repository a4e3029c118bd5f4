#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace ridadozi::detail {

// Mixes one more value into a running hash (the 64-bit variant of the usual golden-ratio mix).
inline void hashCombine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

// A float's hash, in which negative zero hashes as positive zero, which it equals.
inline std::size_t hashFloat(double value) {
    if (value == 0) value = 0;
    return std::hash<std::uint64_t>{}(std::bit_cast<std::uint64_t>(value));
}

template <class T>
void hashInto(std::size_t& seed, const T& value) {
    hashCombine(seed, std::hash<T>{}(value));
}

} // namespace ridadozi::detail
