#pragma once

#include "RidadoziRI/Document/BlockNode.h"

#include <string>
#include <vector>

namespace ridadozi {

// cmark-gfm's renderers that a document can be written back with.
enum class CmarkRenderer { commonMark, plainText, html };

// Builds a fresh cmark-gfm tree from `blocks` and renders it without line wrapping (options 0).
// Blocks and inlines cmark-gfm cannot make are left out; values it cannot represent are clamped
// (list starts to 0...999,999,999, heading levels to 1...6, at most 65,535 table columns, every
// table row padded or cut to the column count). The text is returned as rendered.
std::string renderCmarkDocument(const std::vector<BlockNode>& blocks, CmarkRenderer renderer);

} // namespace ridadozi
