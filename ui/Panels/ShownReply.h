#pragma once

// What the window shows of a reply as Markdown: the parsed excerpt, and after it, when the reply is
// longer, a line saying how much was left out. Building one may take a while (cmark-gfm is slow on
// some inputs), so it runs where the caller likes: it touches nothing but its argument.

#include "RidadoziRI/Content/MarkdownContent.h"

#include <cstddef>
#include <string_view>

namespace glimmo {

struct ShownReply {
    ridadozi::MarkdownContent content;
    std::size_t leftOutBytes = 0;
};

ShownReply shownReply(std::string_view reply);

} // namespace glimmo
