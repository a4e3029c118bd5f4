#pragma once

// The blocks of a reply as cmark-gfm (with the GitHub table extension) reads them, line by line and
// without building the document: which quotes and list items a line goes on with or opens, and what
// the rest of it is to the block it belongs to. The excerpt weighs each line by it, so a reply is
// weighed as it will be laid out: a list marker in a code block is code, one indented four spaces or
// more opens no item (it is code, or goes on with the paragraph above), a line without markers may go
// on with a paragraph inside a quote. The tests hold it against the parser on generated replies.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace glimmo {

class ReplyLineCursor;

// What a line is to its innermost block.
enum class ReplyLineKind : std::uint8_t {
    blank,           // in no block of text (a blank line ends a paragraph, a table, some HTML)
    paragraph,       // opens one
    paragraphLine,   // goes on with one, lazily too (its quote's or item's markers left out)
    heading,         // "# ..."
    setextUnderline, // "===" or "---" under a paragraph: it becomes a heading
    thematicBreak,
    codeFence,       // opens a fenced code block
    closingFence,
    indentedCode,    // opens an indented code block
    codeLine,        // inside a code block, blank or not
    html,            // opens an HTML block
    htmlLine,        // inside one, blank or not
    tableDelimiter,  // under a paragraph's last line, which becomes a table's header
    tableRow,
};

inline constexpr std::array<ReplyLineKind, 14> allReplyLineKinds{
    ReplyLineKind::blank,         ReplyLineKind::paragraph,      ReplyLineKind::paragraphLine, ReplyLineKind::heading,
    ReplyLineKind::setextUnderline, ReplyLineKind::thematicBreak, ReplyLineKind::codeFence,    ReplyLineKind::closingFence,
    ReplyLineKind::indentedCode,  ReplyLineKind::codeLine,       ReplyLineKind::html,          ReplyLineKind::htmlLine,
    ReplyLineKind::tableDelimiter, ReplyLineKind::tableRow};

// Whether the line opens a block of its own rather than going on with the one before.
bool opensLeafBlock(ReplyLineKind kind);

// The block a line leaves open for the next one.
struct ReplyOpenLeaf {
    enum class Kind : std::uint8_t { none, paragraph, fencedCode, indentedCode, html, table };
    Kind kind = Kind::none;
    char fenceCharacter = 0;
    std::size_t fenceLength = 0;
    int htmlKind = 0;
    std::size_t cells = 0; // a table's columns; a paragraph's last line's cells, were it a header
};

// A quote or list item that a line opens.
struct ReplyOpenedContainer {
    bool isQuote = false;
    std::size_t markerEnd = 0;     // bytes into the line
    std::size_t contentIndent = 0; // a list item's: the columns its content is indented by
    std::size_t listDepth = 0;     // the list items it is inside of
};

struct ReplyLineBlocks {
    ReplyLineKind kind = ReplyLineKind::blank;
    std::size_t continuedContainers = 0; // of those open before it, outermost first; a lazy line: all
    std::vector<ReplyOpenedContainer> opened;
    std::size_t textStart = 0; // where the text of its block starts, after every marker
    ReplyOpenLeaf leaf;        // what it leaves open
};

class ReplyBlockScanner {
public:
    // What `line` (without its line end) is, after the lines taken so far.
    ReplyLineBlocks read(std::string_view line) const;
    // Moves past a line read last.
    void take(const ReplyLineBlocks& line);

private:
    struct Container {
        bool isQuote = false;
        std::size_t contentIndent = 0;
        bool hasChild = false;
    };

    // The steps of reading a line, in the parser's order. The open quotes and items it goes on with,
    // their markers taken:
    std::size_t continuedContainers(ReplyLineCursor& at) const;
    // When every one went on: code and HTML take the line whole (true: it is read), a paragraph or a
    // table may go on (`continued`).
    bool readInOpenCodeOrHtml(ReplyLineCursor& at, ReplyLineBlocks& line) const;
    ReplyOpenLeaf::Kind continuedLeaf(const ReplyLineCursor& at) const;
    // The quotes and items it opens, then the block of text its rest opens or goes on with.
    void openContainers(ReplyLineCursor& at, ReplyOpenLeaf::Kind& continued, ReplyLineBlocks& line) const;
    void readText(ReplyLineCursor& at, ReplyOpenLeaf::Kind continued, ReplyLineBlocks& line) const;

    std::size_t listItemsAmong(std::size_t containers) const;

    std::vector<Container> containers_; // outermost first
    std::vector<std::size_t> quotes_;   // where quotes are among them
    ReplyOpenLeaf leaf_;                // inside the innermost container
};

// Splits text into lines as cmark-gfm does, at "\n", "\r" or "\r\n".
struct ReplyLineSpan {
    std::size_t end = 0;  // of the line's text
    std::size_t next = 0; // where the next line starts (the text's size after the last line)
};
ReplyLineSpan replyLineAt(std::string_view text, std::size_t start);

} // namespace glimmo
