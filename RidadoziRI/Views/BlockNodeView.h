#pragma once

// The one place where the block tree turns into block views: each block is drawn by the view of its
// kind.

#include "RidadoziRI/Document/BlockNode.h"
#include "platform/view/View.h"

#include <vector>

namespace ridadozi {

struct BlockNodeView {
    BlockNode block;
    glimmo::AnyView body() const;
    // A sequence laid out again (its margins arrived) does not evaluate its unchanged blocks again:
    // blocks of one document share their values, which compare at once.
    bool operator==(const BlockNodeView&) const = default;
};

// A block sequence of blocks, each drawn by its block node view.
glimmo::AnyView blockSequence(const std::vector<BlockNode>& blocks);
// The same for a document's own blocks, made a few at a time from the top.
glimmo::AnyView documentBlockSequence(const std::vector<BlockNode>& blocks);

} // namespace ridadozi
