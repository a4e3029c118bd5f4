#include "RidadoziRI/CmarkSlabs.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include <sys/mman.h>

namespace ridadozi::cmark {

namespace {

constexpr std::size_t largestKeptTotal = 4 * 1024 * 1024;

struct KeptSlabs {
    std::vector<Slab> slabs;
    std::size_t totalSize = 0;
};

KeptSlabs& keptSlabs() {
    thread_local KeptSlabs kept; // unmapped when the thread ends
    return kept;
}

} // namespace

Slab::Slab(Slab&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), size_(other.size_), isZeroed_(other.isZeroed_) {}

Slab& Slab::operator=(Slab&& other) noexcept {
    if (this != &other) {
        if (bytes_) ::munmap(bytes_, size_);
        bytes_ = std::exchange(other.bytes_, nullptr);
        size_ = other.size_;
        isZeroed_ = other.isZeroed_;
    }
    return *this;
}

Slab::~Slab() {
    if (bytes_) ::munmap(bytes_, size_);
}

Slab takeSlab(std::size_t size) {
    KeptSlabs& kept = keptSlabs();
    for (auto slab = kept.slabs.begin(); slab != kept.slabs.end(); ++slab) {
        if (slab->size() < size) continue;
        Slab taken = std::move(*slab);
        kept.slabs.erase(slab);
        kept.totalSize -= taken.size();
        return taken;
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (mapped == MAP_FAILED) std::abort(); // out of memory, as with cmark-gfm's own allocator
    return Slab(static_cast<std::byte*>(mapped), size, true);
}

void giveBackSlab(Slab slab) {
    KeptSlabs& kept = keptSlabs();
    if (kept.totalSize + slab.size() > largestKeptTotal) return; // unmapped here
    kept.totalSize += slab.size();
    slab.markWritten();
    kept.slabs.push_back(std::move(slab));
}

} // namespace ridadozi::cmark
