#pragma once

// How much of a reply the window shows. A reply may run to megabytes, cmark-gfm takes quadratic time
// on some inputs, and the views are laid out on the main loop, so only a prefix is shown: one that ends
// at a block boundary or between two list items and is small enough, in bytes and in what it costs to
// lay out, to parse and lay out quickly. What is stored stays whole.

#include <cstddef>
#include <string>
#include <string_view>

namespace glimmo {

struct ReplyExcerptLimits {
    std::size_t bytes = 64 * 1024;
    // What laying out and painting the excerpt may cost, in the units of ReplyExcerptWeight.h (about
    // 3 µs each on a desktop of today: some 25 ms).
    std::size_t weight = 8000;
};

// The length of the shown prefix: the whole reply when it keeps within the limits; otherwise up to the
// last place that does where a block ends (a blank line that no code or HTML block takes in) or a list
// item starts, however deep, as the parser reads the blocks, so a long list shows as many of its items
// as fit; when there is none, up to the last whole line that does; when not even the first line does,
// as many of its characters as do.
std::size_t replyExcerptLength(std::string_view reply, const ReplyExcerptLimits& limits = {});

// What follows a shown prefix that is not the whole reply: "The rest of this reply (226 KB) is not
// shown."
std::string leftOutNote(std::size_t leftOutBytes);

} // namespace glimmo
