#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace glimmo {

// A place where a line of text may end: the byte offset in the UTF-8 text just after the break, and
// whether the line must end there (after a newline or another hard line break).
struct LineBreakOpportunity {
    std::size_t offset = 0;
    bool mandatory = false;
    bool operator==(const LineBreakOpportunity&) const = default;
};

// The line break opportunities of UTF-8 `text` by the Unicode line breaking rules (UAX #14, ICU's
// root-locale rules): after spaces, after hyphens, between ideographs, never inside a word or before
// closing punctuation. In increasing order; the last one is the end of the text (none for empty
// text). Invalid UTF-8 counts as U+FFFD, offsets stay those of the input bytes.
std::vector<LineBreakOpportunity> lineBreakOpportunities(std::string_view text);

// Where a word too long for its line may be broken, and what truncation may cut: the byte offsets in
// UTF-8 `text` at which user-perceived characters (extended grapheme clusters) end, in increasing
// order; the last one is the end of the text (none for empty text). An "e" with a combining accent, a
// flag or a family emoji is one character.
std::vector<std::size_t> characterBoundaries(std::string_view text);

} // namespace glimmo
