#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// The host of a visited address, or nothing when the address does not parse or names no host: what
// URL::parse(url)->host() gives, percent-escapes decoded, without building the rest of the URL. A history
// load works it out for each of up to a million rows.
std::optional<std::string> hostOfVisitedURL(std::string_view url);

}  // namespace glimmo
