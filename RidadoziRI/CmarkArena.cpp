#include "RidadoziRI/CmarkArena.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ridadozi::cmark {

namespace {

thread_local CmarkArena* current = nullptr;

// Every block starts with a header that holds its size.
// cmark-gfm keeps pointers, integers and sizes in its blocks, none of which needs more than 8 bytes of alignment.
constexpr std::size_t headerSize = alignof(void*) > alignof(std::size_t) ? alignof(void*) : alignof(std::size_t);
constexpr std::size_t firstSlabSize = 64 * 1024;
constexpr std::size_t largestSlabSize = 4 * 1024 * 1024;
// Blocks this large come from the system: they are few, and output buffers grow by reallocation.
constexpr std::size_t largeBlockSize = 256 * 1024;
constexpr std::size_t largeFlag = std::size_t(1) << (sizeof(std::size_t) * 8 - 1);

std::size_t& headerOf(void* block) { return *reinterpret_cast<std::size_t*>(static_cast<std::byte*>(block) - headerSize); }

std::size_t rounded(std::size_t size) { return (size + headerSize - 1) / headerSize * headerSize; }

// As cmark-gfm's own allocator does: no exception may cross its C frames.
[[noreturn]] void outOfMemory() { std::abort(); }

CmarkArena& arena() {
    if (!current) std::abort(); // an arena allocation outside any arena's life: a programming error
    return *current;
}

// noexcept: these are called from C, which no exception may cross; a failed allocation inside ends
// the process, as with cmark-gfm's own allocator.
void* arenaCalloc(std::size_t count, std::size_t size) noexcept {
    if (size != 0 && count > (largeFlag - headerSize) / size) std::abort(); // as cmark-gfm's own allocator does
    return arena().allocate(count * size, true);
}
void* arenaRealloc(void* block, std::size_t size) noexcept { return arena().resize(block, size); }
void arenaFree(void* block) noexcept {
    if (current) current->release(block);
}

cmark_mem arenaAllocator{arenaCalloc, arenaRealloc, arenaFree};

} // namespace

CmarkArena::CmarkArena() : previous_(current) { current = this; }

CmarkArena::~CmarkArena() {
    for (void* block : largeBlocks_) std::free(block);
    for (Slab& slab : slabs_) giveBackSlab(std::move(slab));
    current = previous_;
}

cmark_mem* CmarkArena::allocator() { return &arenaAllocator; }

cmark_mem* CmarkArena::currentAllocator() { return current ? &arenaAllocator : cmark_get_default_mem_allocator(); }

void CmarkArena::reset() {
    for (void* block : largeBlocks_) std::free(block);
    largeBlocks_.clear();
    if (slabs_.size() > 1) {
        std::swap(slabs_.front(), slabs_.back()); // keep the largest
        for (auto slab = slabs_.begin() + 1; slab != slabs_.end(); ++slab) giveBackSlab(std::move(*slab));
        slabs_.erase(slabs_.begin() + 1, slabs_.end());
    }
    used_ = 0;
    freshSlab_ = false;
    lastBlock_ = nullptr;
    freeBlocks_.fill(nullptr);
}

Slab& CmarkArena::slabFor(std::size_t size) {
    if (slabs_.empty() || used_ + size > slabs_.back().size()) {
        const std::size_t next = slabs_.empty() ? firstSlabSize : std::min(slabs_.back().size() * 2, largestSlabSize);
        slabs_.push_back(takeSlab(std::max(next, size)));
        used_ = 0;
        freshSlab_ = slabs_.back().isZeroed();
    }
    return slabs_.back();
}

void* CmarkArena::allocateLarge(std::size_t size, bool zeroed) {
    void* raw = zeroed ? std::calloc(1, headerSize + size) : std::malloc(headerSize + size);
    if (!raw) outOfMemory();
    largeBlocks_.push_back(raw);
    void* block = static_cast<std::byte*>(raw) + headerSize;
    headerOf(block) = size | largeFlag;
    return block;
}

void* CmarkArena::reusedBlock(std::size_t capacity) {
    if (capacity > largestReusedBlock) return nullptr;
    void*& head = freeBlocks_[capacity / headerSize];
    void* block = head;
    if (block) std::memcpy(&head, block, sizeof head);
    return block;
}

void* CmarkArena::allocate(std::size_t size, bool zeroed) {
    if (size >= largeBlockSize) return allocateLarge(size, zeroed);
    const std::size_t capacity = rounded(std::max<std::size_t>(size, 1));
    if (void* block = reusedBlock(capacity)) {
        if (zeroed) std::memset(block, 0, capacity);
        return block;
    }
    const std::size_t total = headerSize + capacity;
    Slab& slab = slabFor(total);
    std::byte* block = slab.bytes() + used_ + headerSize;
    used_ += total;
    headerOf(block) = total - headerSize;
    if (zeroed && !freshSlab_) std::memset(block, 0, total - headerSize); // a fresh slab is all zeros
    lastBlock_ = block;
    return block;
}

void* CmarkArena::resize(void* block, std::size_t size) {
    if (!block) return allocate(size, false);
    const std::size_t header = headerOf(block);
    if (header & largeFlag) {
        void* raw = static_cast<std::byte*>(block) - headerSize;
        const auto owned = std::find(largeBlocks_.begin(), largeBlocks_.end(), raw);
        if (owned != largeBlocks_.end()) {
            void* grown = std::realloc(raw, headerSize + size);
            if (!grown) outOfMemory();
            *owned = grown;
            void* moved = static_cast<std::byte*>(grown) + headerSize;
            headerOf(moved) = size | largeFlag;
            return moved;
        }
        // Another arena's block: copied, and left to its owner.
        void* moved = allocate(size, false);
        std::memcpy(moved, block, std::min(size, header & ~largeFlag));
        return moved;
    }
    const std::size_t capacity = header;
    if (size <= capacity) return block;
    if (block == lastBlock_ && size < largeBlockSize) {
        const std::size_t extra = rounded(size) - capacity;
        if (used_ + extra <= slabs_.back().size()) {
            used_ += extra;
            headerOf(block) = rounded(size);
            return block;
        }
    }
    void* moved = allocate(size, false);
    std::memcpy(moved, block, capacity);
    release(block);
    return moved;
}

void CmarkArena::release(void* block) {
    if (!block) return;
    const std::size_t header = headerOf(block);
    if (!(header & largeFlag)) {
        if (block == lastBlock_) lastBlock_ = nullptr; // no longer to be grown in place
        if (header <= largestReusedBlock) {
            void*& head = freeBlocks_[header / headerSize];
            std::memcpy(block, &head, sizeof head);
            head = block;
        }
        return; // larger small blocks go with their slab
    }
    void* raw = static_cast<std::byte*>(block) - headerSize;
    const auto found = std::find(largeBlocks_.begin(), largeBlocks_.end(), raw);
    if (found == largeBlocks_.end()) return;
    *found = largeBlocks_.back();
    largeBlocks_.pop_back();
    std::free(raw);
}

} // namespace ridadozi::cmark
