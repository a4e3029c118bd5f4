#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

class UUID {
public:
    UUID() = default; // all zero
    explicit UUID(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

    // A version 4 UUID from a generator seeded once per thread from the system's random source.
    static UUID random();
    // 8-4-4-4-12 hexadecimal digits, either case.
    static std::optional<UUID> parse(std::string_view text);

    std::string uuidString() const; // upper case 8-4-4-4-12
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

    auto operator<=>(const UUID&) const = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

} // namespace glimmo

template <>
struct std::hash<glimmo::UUID> {
    std::size_t operator()(const glimmo::UUID& uuid) const noexcept;
};
