#pragma once

// UTF-8 checking and repair, and the decoding that the text, URL and JSON helpers share. Needs
// nothing beyond the standard library (its own target, platform_utf8), so code that only checks
// UTF-8, such as the Markdown core, does not link ICU.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace glimmo {

bool isValidUTF8(std::string_view bytes);

// Each invalid UTF-8 sequence (maximal subpart) becomes U+FFFD.
std::string repairUTF8(std::string_view bytes);

} // namespace glimmo

namespace glimmo::utf8 {

struct Decoded {
    char32_t codePoint; // U+FFFD when the sequence is invalid
    std::size_t length; // bytes consumed: the whole sequence, or its maximal invalid subpart
    bool valid;
};

// Decodes the sequence at `position` (which must be inside `text`) by the well-formed byte
// sequences of the Unicode standard (no overlongs, no surrogates, nothing above U+10FFFF).
Decoded decode(std::string_view text, std::size_t position);

void append(std::string& out, char32_t codePoint);

} // namespace glimmo::utf8
