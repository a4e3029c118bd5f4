#pragma once

#include <optional>
#include <string_view>

namespace genai {

// The client's string enumerations: `rawValue(e)` gives the wire text of a case and
// `fromRawValue<E>(text)` the case for a wire text (exact, case-sensitive), or nullopt.
template <class Enum>
std::optional<Enum> fromRawValue(std::string_view text);

} // namespace genai
