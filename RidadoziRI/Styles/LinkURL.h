#pragma once

#include "platform/foundation/URL.h"

#include <optional>
#include <string_view>

namespace ridadozi {

// A link's address: its destination relative to the base, or without a base the destination as
// written, relative or not (whoever opens the link decides what it can open). Absent when it forms
// no URL reference at all.
inline std::optional<glimmo::URL> linkURL(std::string_view destination, const std::optional<glimmo::URL>& base) {
    return base ? glimmo::URL::parse(destination, *base) : glimmo::URL::parseKeepingRelative(destination);
}

} // namespace ridadozi
