#pragma once

// Private to the library: the memory the cmark-gfm arena carves its blocks from.

#include <cstddef>

namespace ridadozi::cmark {

// One mapping of at least a page, unmapped with the slab.
class Slab {
public:
    Slab(std::byte* bytes, std::size_t size, bool isZeroed) : bytes_(bytes), size_(size), isZeroed_(isZeroed) {}
    Slab(Slab&& other) noexcept;
    Slab& operator=(Slab&& other) noexcept;
    Slab(const Slab&) = delete;
    Slab& operator=(const Slab&) = delete;
    ~Slab();

    std::byte* bytes() const { return bytes_; }
    std::size_t size() const { return size_; }
    // Still all zeros as mapped: never handed to an arena before.
    bool isZeroed() const { return isZeroed_; }
    void markWritten() { isZeroed_ = false; }

private:
    std::byte* bytes_;
    std::size_t size_;
    bool isZeroed_;
};

// A slab of at least `size` bytes: one that an ended arena of this thread gave back, or else a fresh
// one, mapped zero-filled with its pages in place (a large document fills hundreds of megabytes of
// slabs: one call maps each instead of a fault for every page).
Slab takeSlab(std::size_t size);

// Keeps `slab` for the next arena of this thread while this thread keeps no more than a few
// megabytes, so a program that parses many small documents maps no memory for each; unmaps it
// otherwise.
void giveBackSlab(Slab slab);

} // namespace ridadozi::cmark
