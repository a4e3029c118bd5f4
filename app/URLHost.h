#pragma once

#include <optional>
#include <string>

namespace glimmo {

// The host of a visited address, or nothing when the address does not parse or names no host.
std::optional<std::string> hostOfVisitedURL(const std::string& url);

}  // namespace glimmo
