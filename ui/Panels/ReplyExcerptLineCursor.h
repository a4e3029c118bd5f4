#pragma once

// Where the excerpt's block scanner (ReplyExcerptBlocks.h) is in reading a line, as cmark-gfm counts
// it: a byte, a column (tabs stop at every fourth), and a tab that markers have taken only some
// columns of. Indentation is counted in columns from there to the first character that is neither a
// space nor a tab.

#include <cstddef>
#include <string_view>

namespace glimmo {

class ReplyLineCursor {
public:
    explicit ReplyLineCursor(std::string_view line);

    std::string_view line() const { return line_; }
    std::size_t offset() const { return offset_; }
    std::size_t nonspace() const { return nonspace_; }
    std::size_t indent() const { return nonspaceColumn_ - column_; }
    bool isBlank() const { return nonspace_ >= line_.size(); }
    std::string_view rest() const { return line_.substr(nonspace_); }
    std::string_view fromOffset() const { return line_.substr(offset_); }

    // Moves on by `count` columns, into a tab if need be.
    void advanceColumns(std::size_t count);
    // Moves on by `count` bytes, a tab taken whole.
    void advanceBytes(std::size_t count);
    void advanceToNonspace() { advanceBytes(nonspace_ - offset_); }

    // ">" and one blank after it.
    void takeQuoteMarker();
    // Past a list marker: takes the blanks before the item's content and returns the columns from the
    // marker's start to it. Five or more blanks open the content with indented code, so only one is
    // taken then, as when nothing follows the marker.
    std::size_t takeListItemPadding(std::size_t markerWidth);

    // Whether the rest is a thematic break. A line of nested list markers is read once, not once for
    // each marker: no rest starting before where a scan stopped is one either.
    bool restIsThematicBreak();

private:
    void findNonspace();

    std::string_view line_;
    std::size_t offset_ = 0;
    std::size_t column_ = 0;
    std::size_t nonspace_ = 0;
    std::size_t nonspaceColumn_ = 0;
    std::size_t noBreakBefore_ = 0;
};

} // namespace glimmo
