#include "platform/view/NodeMemory.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace glimmo {
namespace {

// Under AddressSanitizer every node comes from the heap, where the sanitizer watches each one.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool fromHeap = true;
#else
constexpr bool fromHeap = false;
#endif
#elif defined(__SANITIZE_ADDRESS__)
constexpr bool fromHeap = true;
#else
constexpr bool fromHeap = false;
#endif

// Slabs are aligned to their size, so the slab of a node is found from its address.
constexpr std::size_t slabBytes = 64 * 1024;
constexpr std::size_t granule = 32;
constexpr std::size_t largestPooled = 2048;
constexpr std::size_t classCount = largestPooled / granule; // class c holds sizes up to (c + 1) * granule

struct FreeSlot {
    FreeSlot* next;
};

struct Slab {
    // Among the slabs of its class that have room.
    Slab* previous = nullptr;
    Slab* next = nullptr;
    bool listed = false;
    FreeSlot* freeSlots = nullptr;
    char* untouched = nullptr; // where the slots never handed out begin
    std::size_t slotBytes = 0;
    std::size_t sizeClass = 0;
    std::size_t live = 0;

    bool hasRoom() const { return freeSlots || untouched + slotBytes <= reinterpret_cast<const char*>(this) + slabBytes; }
};

constexpr std::size_t headerBytes = (sizeof(Slab) + granule - 1) / granule * granule;

struct Pool {
    std::mutex mutex;
    Slab* withRoom[classCount] = {};

    void link(Slab* slab) {
        Slab*& head = withRoom[slab->sizeClass];
        slab->previous = nullptr;
        slab->next = head;
        if (head) head->previous = slab;
        head = slab;
        slab->listed = true;
    }
    void unlink(Slab* slab) {
        if (slab->previous) slab->previous->next = slab->next;
        else withRoom[slab->sizeClass] = slab->next;
        if (slab->next) slab->next->previous = slab->previous;
        slab->previous = slab->next = nullptr;
        slab->listed = false;
    }
};

Pool& pool() {
    static Pool instance;
    return instance;
}

Slab* makeSlab(std::size_t sizeClass) {
    void* memory = std::aligned_alloc(slabBytes, slabBytes);
    if (!memory) throw std::bad_alloc();
    auto* slab = ::new (memory) Slab;
    slab->sizeClass = sizeClass;
    slab->slotBytes = (sizeClass + 1) * granule;
    slab->untouched = static_cast<char*>(memory) + headerBytes;
    return slab;
}

} // namespace

void* allocateNodeMemory(std::size_t size) {
    if (fromHeap || size == 0 || size > largestPooled) return ::operator new(size);
    const std::size_t sizeClass = (size - 1) / granule;
    Pool& p = pool();
    const std::lock_guard lock(p.mutex);
    Slab* slab = p.withRoom[sizeClass];
    if (!slab) {
        slab = makeSlab(sizeClass);
        p.link(slab);
    }
    void* memory = nullptr;
    if (slab->freeSlots) {
        memory = slab->freeSlots;
        slab->freeSlots = slab->freeSlots->next;
    } else {
        memory = slab->untouched;
        slab->untouched += slab->slotBytes;
    }
    ++slab->live;
    if (!slab->hasRoom()) p.unlink(slab);
    return memory;
}

void releaseNodeMemory(void* memory, std::size_t size) {
    if (fromHeap || size == 0 || size > largestPooled) {
        ::operator delete(memory);
        return;
    }
    auto* slab = reinterpret_cast<Slab*>(reinterpret_cast<std::uintptr_t>(memory) & ~(slabBytes - 1));
    Pool& p = pool();
    const std::lock_guard lock(p.mutex);
    auto* slot = static_cast<FreeSlot*>(memory);
    slot->next = slab->freeSlots;
    slab->freeSlots = slot;
    --slab->live;
    const bool onlyOneWithRoom = slab->listed && !slab->previous && !slab->next;
    if (slab->live == 0 && !onlyOneWithRoom) {
        // An empty slab goes back, unless it is the last one its class has room in (a node made and
        // dropped again and again would otherwise take and give back a slab each time).
        if (slab->listed) p.unlink(slab);
        slab->~Slab();
        std::free(slab);
        return;
    }
    if (!slab->listed) p.link(slab);
}

} // namespace glimmo
