#include "platform/view/NodeMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace glimmo {
namespace {

// Blocks of node sizes (and a few too large to pool) made and dropped in a random order, enough to
// fill, empty and give back slabs: every block keeps what was written into it.
TEST(NodeMemoryTest, BlocksMadeAndDroppedInAnyOrderNeverOverlap) {
    struct Block {
        unsigned char* memory;
        std::size_t size;
        unsigned char fill;
    };
    std::mt19937 random(7);
    std::vector<Block> live;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 3000; ++i) {
            const std::size_t size = random() % 8 == 0 ? 2049 + random() % 100 : 8 + random() % 1200;
            const Block block{static_cast<unsigned char*>(allocateNodeMemory(size)), size, static_cast<unsigned char>(random())};
            std::memset(block.memory, block.fill, size);
            live.push_back(block);
        }
        while (live.size() > (round % 2 == 0 ? 200u : 0u)) {
            const std::size_t i = random() % live.size();
            const Block block = live[i];
            ASSERT_TRUE(std::all_of(block.memory, block.memory + block.size, [&](unsigned char b) { return b == block.fill; }));
            releaseNodeMemory(block.memory, block.size);
            live[i] = live.back();
            live.pop_back();
        }
    }
}

} // namespace
} // namespace glimmo
