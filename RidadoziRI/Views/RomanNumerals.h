#pragma once

#include <cstdint>
#include <string>

namespace ridadozi {

// Upper-case Roman numerals for 1 to 3999; the decimal text for any other value.
std::string romanNumerals(std::int64_t value);

} // namespace ridadozi
