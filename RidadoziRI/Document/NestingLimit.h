#pragma once

#include "RidadoziRI/Document/BlockNode.h"

#include <vector>

namespace ridadozi {

// Block quotes and lists nest at most this deep, and so do emphasis, strong, strikethrough, links and
// images within one block. The parser builds no deeper tree, and rendering and the views take any
// tree as the parser would have built it: the walks over a tree that they make are recursive, and
// the stack must hold them however the tree was made.
inline constexpr int maximumNesting = 128;

// `blocks` with every quote or list nested deeper than `maximumNesting` dissolved: the blocks it
// holds, at whatever depth, take its place in order, inside the deepest quote or list item that is
// kept. Inline containers nested deeper are dissolved the same way into their text. The blocks come
// back unchanged when nothing is nested that deep.
std::vector<BlockNode> limitingNesting(const std::vector<BlockNode>& blocks);
// Whether limitingNesting would change `blocks` (answered without walking them).
bool exceedsNestingLimit(const std::vector<BlockNode>& blocks);

} // namespace ridadozi
