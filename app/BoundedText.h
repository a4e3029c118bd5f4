#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace glimmo {

// The text whole when it fits in `limit` bytes, otherwise cut at a UTF-8 sequence boundary and
// followed by "...", within `limit` bytes in all: how a text kept from an AI reply is bounded, so
// that a valid but huge reply cannot swell a file that is rewritten whole. `limit` is at least 3.
std::string textWithinBytes(std::string_view text, std::size_t limit);

// The same with the text measured as a JSON string writes it, quotes included (jsonStringSize): what it
// takes of a file that holds it so, where a control character takes six bytes. `limit` is at least 5.
std::string textWithinJSONStringSize(std::string_view text, std::size_t limit);

} // namespace glimmo
