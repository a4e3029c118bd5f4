// The arena cmark-gfm allocates from: what it hands out again must behave as fresh memory.

#include "RidadoziRI/CmarkArena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace ridadozi::cmark {
namespace {

bool allZero(const void* block, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    return std::all_of(bytes, bytes + size, [](unsigned char byte) { return byte == 0; });
}

// Reused blocks, blocks left by a move, a reset slab and the slabs an ended arena hands to the next
// one of its thread: each serves its next block cleared, and a moved block keeps its bytes.
TEST(CmarkArena, EveryBlockHandedOutAgainIsClearedAndMovedBlocksKeepTheirBytes) {
    std::thread([] { // a thread whose arenas have left nothing behind yet
        void* written = nullptr;
        {
            CmarkArena arena;
            cmark_mem* memory = arena.allocator();
            void* freed = memory->calloc(1, 40);
            std::memset(freed, 0xAB, 40);
            memory->free(freed);
            void* reused = memory->calloc(5, 8);
            EXPECT_EQ(reused, freed);
            EXPECT_TRUE(allZero(reused, 40));

            auto* text = static_cast<char*>(memory->calloc(1, 16));
            std::memcpy(text, "fifteen letters", 16);
            (void)memory->calloc(1, 8); // now `text` cannot grow in place
            auto* grown = static_cast<char*>(memory->realloc(text, 600));
            ASSERT_NE(grown, text);
            void* next = memory->calloc(1, 16);
            EXPECT_EQ(next, static_cast<void*>(text));
            EXPECT_TRUE(allZero(next, 16));
            EXPECT_STREQ(grown, "fifteen letters");

            std::memset(memory->calloc(1, 512), 0xCD, 512);
            arena.reset();
            written = memory->calloc(1, 256);
            EXPECT_TRUE(allZero(written, 256));
            std::memset(written, 0xEE, 256);
        }
        CmarkArena next;
        void* block = next.allocator()->calloc(1, 256);
        EXPECT_EQ(block, written); // no memory mapped for a small document
        EXPECT_TRUE(allZero(block, 256));
    }).join();
}

} // namespace
} // namespace ridadozi::cmark
