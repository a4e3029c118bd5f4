#pragma once

// Private to the library: an allocator for cmark-gfm that serves one parse or one rendering.

#include <cmark-gfm.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

namespace ridadozi::cmark {

// cmark-gfm allocates a block for every node, literal and buffer and frees them one by one. Taken
// from large slabs and dropped together, they cost a fraction of that. While an arena lives it is
// the current one of its thread: `allocator()` allocates from it and its free does nothing except
// for large blocks (growing output buffers), which come from the system and are resized in place.
// Every cmark object made with it must be out of use before the arena ends.
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
    struct FreeBytes {
        void operator()(std::byte* bytes) const { std::free(bytes); }
    };
    using SlabBytes = std::unique_ptr<std::byte, FreeBytes>;
    struct Slab {
        SlabBytes bytes;
        std::size_t size = 0;
    };
    Slab& slabFor(std::size_t size);
    void* allocateLarge(std::size_t size, bool zeroed);

    std::vector<Slab> slabs_;
    std::size_t used_ = 0; // in the last slab
    std::byte* lastBlock_ = nullptr; // the most recent small block, which can grow in place
    std::vector<void*> largeBlocks_;
    CmarkArena* previous_;
};

} // namespace ridadozi::cmark
