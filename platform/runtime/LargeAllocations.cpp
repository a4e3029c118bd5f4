#include "platform/runtime/LargeAllocations.h"

#include <malloc.h>

namespace glimmo {

void giveLargeAllocationsBackWhenFreed() {
    // Setting it also stops glibc from moving it (and the heap's trim threshold) from then on.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(largeAllocationBytes));
}

} // namespace glimmo
