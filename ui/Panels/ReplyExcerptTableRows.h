#pragma once

// A GitHub table's rows as cmark-gfm's table extension reads them. A paragraph's last line becomes a
// table's header when a delimiter row with as many cells follows it; every line after that which is
// no other block's start is a row, made as many cells as the header whatever it holds.

#include <cstddef>
#include <string_view>

namespace glimmo {

// How many cells the line holds (0: it is no row). Cells are split at every "|" that no backslash
// precedes; a leading and a trailing "|" open and close the row.
std::size_t tableRowCells(std::string_view text);
// A delimiter row, such as "| :-- | --: |" (`rest` as in ReplyExcerptBlockStarts.h).
bool isTableDelimiterRow(std::string_view rest);

} // namespace glimmo
