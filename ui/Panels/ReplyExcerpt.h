#pragma once

// How much of a reply the window shows. A reply may run to megabytes, cmark-gfm takes quadratic time
// on some inputs, and the views are laid out on the main loop, so only a prefix is shown: one that ends
// at a block boundary and is small enough, in bytes and in the views it makes, to parse and lay out
// quickly. What is stored stays whole.

#include <cstddef>
#include <string>
#include <string_view>

namespace glimmo {

struct ReplyExcerptLimits {
    std::size_t bytes = 64 * 1024;
    // Weight estimates the views a text makes: each line, and much more each list item or quote
    // opened on it, each table cell and each character that may start or end an inline (emphasis,
    // code, a link, an image, an autolink, raw HTML). Laying out one unit takes some microseconds.
    std::size_t weight = 8000;
};

// The characters that weigh on a line besides the line itself: each may start or end an inline
// ("|" a table cell, which weighs more).
inline constexpr std::string_view replyMarkupCharacters = "*_`~[]()!<>&:.@#-+\\|";

// The weight of one line, and the bytes of its longest prefix, ending on a whole character, whose weight
// is at most `budget`.
struct LineWeight {
    std::size_t weight = 0;
    std::size_t fittingBytes = 0;
};
LineWeight weighLine(std::string_view line, std::size_t budget);

// The length of the shown prefix: the whole reply when it keeps within the limits; otherwise up to
// the last blank line outside a code fence that does; when even the first block does not, up to its
// last whole line that does; when not even the first line does, as many of its characters as do.
std::size_t replyExcerptLength(std::string_view reply, const ReplyExcerptLimits& limits = {});

// What follows a shown prefix that is not the whole reply: "The rest of this reply (226 KB) is not
// shown."
std::string leftOutNote(std::size_t leftOutBytes);

} // namespace glimmo
