#include "platform/foundation/NumberText.h"

#include <charconv>
#include <cmath>
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

std::string floatingNumberText(double value) {
    if (!std::isfinite(value)) return numberText(value);
    // The fewest significant digits that read back as the value, as d.ddd and a power of ten.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view scientific(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const bool negative = scientific.front() == '-';
    const std::size_t exponentAt = scientific.find('e');
    std::string digits;
    for (const char c : scientific.substr(negative ? 1 : 0, exponentAt - (negative ? 1 : 0))) {
        if (c != '.') digits += c;
    }
    const int exponent = *parseInteger(scientific.substr(exponentAt + (scientific[exponentAt + 1] == '+' ? 2 : 1)));
    const int count = static_cast<int>(digits.size());

    // The plain form with zeros before the digits (0.001), then those digits with the point after
    // `before` of them (none after the last) and the power of ten that keeps the value; a power of 0 is
    // left out, and a text with neither point nor power gets ".0". Zeros after the digits are never
    // shortest: 1000.0 is longer than 1e3.
    std::string best;
    const auto consider = [&](std::string text) {
        if (best.empty() || text.size() < best.size()) best = std::move(text);
    };
    if (exponent < 0) {
        consider("0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits);
    }
    for (int before = 0; before <= count; ++before) {
        const int power = exponent - (before - 1);
        std::string text = before == 0 ? "0." + digits
                           : before == count ? digits
                                             : digits.substr(0, static_cast<std::size_t>(before)) + "." +
                                                   digits.substr(static_cast<std::size_t>(before));
        if (power != 0) {
            text += "e" + std::to_string(power);
        } else if (before == count) {
            text += ".0";
        }
        consider(std::move(text));
    }
    return negative ? "-" + best : best;
}

std::optional<double> parseNumber(std::string_view text) { return parseWhole<double>(text); }

std::optional<std::int64_t> parseInteger(std::string_view text) { return parseWhole<std::int64_t>(text); }

} // namespace glimmo
