#pragma once

// How a line opens and ends an HTML block, as cmark-gfm reads it (`rest` as in
// ReplyExcerptBlockStarts.h). Kinds 1 to 5 (raw text such as <pre>, a comment, a processing
// instruction, a declaration, CDATA) end at a line holding their end, blank lines included; kind 6 (a
// block-level tag) and kind 7 (a whole tag of any other name alone on its line, which cannot interrupt
// a paragraph) end before a blank line.

#include <string_view>

namespace glimmo {

// The kind of HTML block the line opens (1 to 7), or 0.
int htmlBlockStart(std::string_view rest);
bool endsHtmlBlock(int kind, std::string_view rest);

} // namespace glimmo
