#include "RidadoziRI/Views/RomanNumerals.h"

#include <array>
#include <utility>

namespace ridadozi {

std::string romanNumerals(std::int64_t value) {
    if (value < 1 || value > 3999) return std::to_string(value);
    static constexpr std::array<std::pair<int, const char*>, 13> pairs{{
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"}, {10, "X"}, {9, "IX"}, {5, "V"}, {4, "IV"}, {1, "I"},
    }};
    std::string result;
    for (const auto& [amount, symbol] : pairs) {
        for (std::int64_t count = value / amount; count > 0; --count) result += symbol;
        value %= amount;
    }
    return result;
}

} // namespace ridadozi
