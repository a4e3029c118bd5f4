#pragma once

// How a line opens or ends a block of Markdown, as cmark-gfm reads it. Each function reads `rest`: a
// line from its first character that is neither a space nor a tab, after the markers of the blocks it
// goes on with, without its line end. The excerpt's block scanner (ReplyExcerptBlocks.h) puts them
// together with those of ReplyExcerptHtmlBlocks.h and ReplyExcerptTableRows.h.

#include <cstddef>
#include <optional>
#include <string_view>

namespace glimmo {

inline bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }
// Nothing but spaces and tabs.
bool isBlankText(std::string_view text);
// How many times `c` follows itself from `at`.
std::size_t characterRunLength(std::string_view text, std::size_t at, char c);

// "#" to "######" and a blank or the line's end: where the heading's text starts, or 0.
std::size_t atxHeadingTextStart(std::string_view rest);

struct CodeFence {
    char character = '`';
    std::size_t length = 0;
};
// Three or more backticks (with no backtick after them) or tildes.
std::optional<CodeFence> openingCodeFence(std::string_view rest);
// The fence's character, at least as many times, and nothing but blanks after them.
bool closesCodeFence(std::string_view rest, CodeFence fence);

bool isSetextUnderline(std::string_view rest);

// "***", "- - -", "___" and the like. When `rest` is none, `readTo` is where reading it stopped: a
// line starting anywhere before that is none either, so nested list markers are read once.
struct ThematicBreakScan {
    bool isBreak = false;
    std::size_t readTo = 0;
};
ThematicBreakScan scanThematicBreak(std::string_view rest);

struct ListMarker {
    std::size_t width = 0; // "-", "12."
    bool startsAtOne = true;
    bool opensEmptyItem = false; // nothing but blanks after it
};
std::optional<ListMarker> listMarker(std::string_view rest);

// A line that opens a task list item, such as "- [ ] text": blanks, a list marker, blanks, "[ ]", "[x]"
// or "[X]" and a blank, from the line's very start. Returns the length up to the box's end, or 0.
std::size_t taskListItemBoxEnd(std::string_view line);

} // namespace glimmo
