#include "platform/foundation/NumberText.h"

#include <charconv>
#include <system_error>

// std::to_chars and std::from_chars are the standard's conversions that never consult the locale.

namespace glimmo {
namespace {

template <class Number>
std::string shortestText(Number value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

template <class Number>
std::optional<Number> parseWhole(std::string_view text) {
    Number value{};
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

} // namespace

std::string numberText(double value) { return shortestText(value); }

std::string numberText(float value) { return shortestText(value); }

std::optional<double> parseNumber(std::string_view text) { return parseWhole<double>(text); }

std::optional<std::int64_t> parseInteger(std::string_view text) { return parseWhole<std::int64_t>(text); }

} // namespace glimmo
