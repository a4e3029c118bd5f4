#pragma once

#include "RidadoziRI/Document/BlockNode.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ridadozi {

// Markdown text to the document tree, through cmark-gfm with the GitHub extensions (autolink,
// strikethrough, tagfilter, tasklist, table). Each call has its own parser, so calls may run on any
// thread and in parallel.
struct MarkdownParser {
    // The blocks of the document; no value when cmark-gfm produced no document. Text that is not
    // valid UTF-8 is repaired first (invalid sequences become U+FFFD).
    static std::optional<std::vector<BlockNode>> parse(std::string_view markdown);
};

} // namespace ridadozi
