#pragma once

#include "platform/foundation/URL.h"

#include <optional>
#include <string_view>

namespace ridadozi {

// A link destination or image source relative to its base, or parsed by itself without one; absent when
// it forms no URL.
inline std::optional<glimmo::URL> resolvedURL(std::string_view reference, const std::optional<glimmo::URL>& base) {
    return base ? glimmo::URL::parse(reference, *base) : glimmo::URL::parse(reference);
}

// A link's address: resolved as above, but without a base the destination as written, relative or not
// (whoever opens the link decides what it can open).
inline std::optional<glimmo::URL> linkURL(std::string_view destination, const std::optional<glimmo::URL>& base) {
    return base ? glimmo::URL::parse(destination, *base) : glimmo::URL::parseKeepingRelative(destination);
}

} // namespace ridadozi
