#pragma once

// What a reply costs to lay out and paint, in units of a few microseconds, read from its Markdown
// source line by line without parsing it. The figures were measured on the journal's own views: a
// list item costs as much as four paragraphs, a bare autolink or a code span a fraction of one, a
// line that continues a paragraph or a code block next to nothing. A line's cost depends on the lines
// before it (after a blank line it opens a block; inside a code fence nothing is markup; a list item
// nested deeper costs more), so a reply is weighed in order.

#include <cstddef>
#include <string_view>
#include <vector>

namespace glimmo {

// The characters that weigh on a line besides the line itself: each may start or end an inline
// (emphasis, code, a link, an image, raw HTML, an entity) or a table cell ("|", which weighs more).
inline constexpr std::string_view replyMarkupCharacters = "*_`~[]()!<>&@#-+\\|";

class ReplyWeigher {
public:
    struct Line {
        std::size_t weight = 0;
        // The bytes of the line's longest prefix, ending on a whole character, whose weight is at most
        // the budget it was weighed against.
        std::size_t fittingBytes = 0;
        bool opensListItem = false;
    };

    // The next line's weight, counted up to just past `budget`.
    Line weigh(std::string_view line, std::size_t budget) const;
    // Moves past the line: the next one is weighed after it.
    void take(std::string_view line);
    // Whether the next line is inside a fenced code block.
    bool insideCode() const { return fenceLength_ > 0; }

private:
    std::size_t listDepthAt(std::size_t column) const;
    void followFence(std::string_view line);

    bool afterBlank_ = true;         // the start of the reply counts as a blank line
    std::size_t quoteDepth_ = 0;     // quotes the last line was in
    std::vector<std::size_t> items_; // the content columns of the open list items, innermost last
    char fenceCharacter_ = 0;
    std::size_t fenceLength_ = 0;
};

// The weight of a whole text, as the excerpt counts it.
std::size_t replyWeight(std::string_view text);

// Spaces, tabs and carriage returns alone: the line ends a paragraph.
bool isBlankLine(std::string_view line);

} // namespace glimmo
