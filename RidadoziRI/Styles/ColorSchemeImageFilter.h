#pragma once

#include "RidadoziRI/Document/BlockNode.h"

#include "platform/view/Color.h"

#include <vector>

namespace ridadozi {

// The blocks without the images meant only for the other colour scheme (an address ending in
// "#gh-dark-mode-only" or "#gh-light-mode-only", in any letter case) and without images whose source
// is no valid address; relative references are addresses. Images anywhere in the inline content are
// visited, inside links too.
std::vector<BlockNode> filteringImages(const std::vector<BlockNode>& blocks, glimmo::ColorScheme scheme);

} // namespace ridadozi
