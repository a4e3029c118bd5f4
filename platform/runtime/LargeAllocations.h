#pragma once

// Large blocks of memory (a journal of megabytes, its reply, its Base64, a decoded image) are given back
// to the system as soon as they are freed, so that memory comes back after them.
//
// glibc serves a request of at least its mmap threshold with pages of its own and returns them when it is
// freed; smaller requests come from the heap. The threshold starts at 128 KiB, but each time such a
// block is freed glibc raises it to that block's size, up to 32 MiB: after the first large text went,
// the next ones of that size come from the heap, where the pieces left between them by smaller blocks
// keep it from shrinking. A 30 MiB journal asked for again and again so grew the resident memory by some
// 57 MB each time while malloc's own count stayed flat, and malloc_trim gave nothing back.

#include <cstddef>

namespace glimmo {

// At least this many bytes are always a block of pages of their own.
inline constexpr std::size_t largeAllocationBytes = std::size_t{1} << 20;

// Fixes the threshold at largeAllocationBytes for the whole process. Called first in main (and by the
// benchmarks that measure memory), before anything large is allocated.
void giveLargeAllocationsBackWhenFreed();

} // namespace glimmo
