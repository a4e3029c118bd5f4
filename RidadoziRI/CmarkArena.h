#pragma once

// Private to the library: an allocator for cmark-gfm that serves one parse or one rendering.

#include "RidadoziRI/CmarkSlabs.h"

#include <cmark-gfm.h>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace ridadozi::cmark {

// cmark-gfm allocates a block for every node, literal and buffer and frees them one by one. Taken
// from large slabs and dropped together, they cost a fraction of that. While an arena lives it is
// the current one of its thread: `allocator()` allocates from it. A small block it frees is kept
// for the next block of the same size (parsing frees about a quarter of what it allocates, and
// touching fresh memory is what a large document costs most); large blocks (growing output
// buffers) come from the system and are resized in place. Every cmark object made with it must be
// out of use before the arena ends.
class CmarkArena {
public:
    CmarkArena();
    ~CmarkArena();
    CmarkArena(const CmarkArena&) = delete;
    CmarkArena& operator=(const CmarkArena&) = delete;

    cmark_mem* allocator();
    // The current arena's allocator on this thread, or cmark-gfm's default one outside any arena.
    static cmark_mem* currentAllocator();

    // Drops everything allocated so far but keeps one slab for what comes next.
    void reset();

    // Used by the allocator's functions.
    void* allocate(std::size_t size, bool zeroed);
    void* resize(void* block, std::size_t size);
    void release(void* block);

private:
    Slab& slabFor(std::size_t size);
    void* allocateLarge(std::size_t size, bool zeroed);
    void* reusedBlock(std::size_t capacity);

    // Freed small blocks, by capacity in steps of the block alignment: each list runs through the
    // blocks' first bytes.
    static constexpr std::size_t largestReusedBlock = 1024;
    std::array<void*, largestReusedBlock / alignof(void*) + 1> freeBlocks_{};
    std::vector<Slab> slabs_;
    std::size_t used_ = 0; // in the last slab
    bool freshSlab_ = false; // what is past `used_` in the last slab is still zero
    std::byte* lastBlock_ = nullptr; // the most recent small block, which can grow in place
    std::vector<void*> largeBlocks_;
    CmarkArena* previous_;
};

} // namespace ridadozi::cmark
