#pragma once

// Internal: UTF-8 decoding shared by the text, URL and JSON helpers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
