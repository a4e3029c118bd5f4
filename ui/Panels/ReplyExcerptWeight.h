#pragma once

// What a reply costs to lay out and paint, in units of a few microseconds, read from its Markdown
// source line by line as the parser reads its blocks (ReplyExcerptBlocks.h), without parsing it. The
// figures were measured on the journal's own views: a list item costs as much as four paragraphs, a
// quote about one, a table's cell half of one (a row makes as many cells as its header, whatever its
// bars), a bare autolink or a code span a fraction of one, a line that continues a paragraph or a code
// block next to nothing. Text in code and HTML blocks is shown as it is: only its characters weigh. A line's cost depends on the lines before it, so a reply is weighed
// in order.

#include "ui/Panels/ReplyExcerptBlocks.h"

#include <cstddef>
#include <string_view>

namespace glimmo {

// The characters that weigh in text besides the text itself: each may start or end an inline
// (emphasis, code, a link, an image, raw HTML, an entity).
inline constexpr std::string_view replyMarkupCharacters = "*_`~[]()!<>&@#-+\\";

class ReplyWeigher {
public:
    struct Line {
        std::size_t weight = 0;
        // The bytes of the line's longest prefix, ending on a whole character, whose weight is at most
        // the budget it was weighed against.
        std::size_t fittingBytes = 0;
        ReplyLineBlocks blocks;

        bool opensListItem() const;
    };

    // The next line's weight (the line without its end), counted up to just past `budget`.
    Line weigh(std::string_view line, std::size_t budget) const;
    // Moves past a line weighed last: the next one is weighed after it.
    void take(const Line& line) { blocks_.take(line.blocks); }

private:
    ReplyBlockScanner blocks_;
};

// The weight of a whole text, as the excerpt counts it.
std::size_t replyWeight(std::string_view text);

} // namespace glimmo
