#pragma once

// Memory for render-tree nodes (internal to the kit). Layout, preferences and drawing walk the tree
// node after node; nodes made one after another are laid one after another in slabs of their size, so
// that a walk reads memory in order instead of jumping across the heap. A slab whose nodes are all gone
// is given back.

#include <cstddef>

namespace glimmo {

void* allocateNodeMemory(std::size_t size);
void releaseNodeMemory(void* memory, std::size_t size);

} // namespace glimmo
