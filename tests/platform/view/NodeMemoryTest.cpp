#include "platform/view/NodeMemory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

namespace glimmo {
namespace {

struct Block {
    unsigned char* memory;
    std::size_t size;
    unsigned char fill;
};

bool intact(const Block& b) {
    for (std::size_t i = 0; i < b.size; ++i) {
        if (b.memory[i] != b.fill) return false;
    }
    return true;
}

// Blocks of node sizes (and a few too large to pool) made and dropped in a random order, enough to
// fill, empty and give back slabs: every block keeps what was written into it.
TEST(NodeMemoryTest, BlocksMadeAndDroppedInAnyOrderNeverOverlap) {
    std::mt19937 random(7);
    std::vector<Block> live;
    const auto make = [&] {
        const std::size_t size = random() % 8 == 0 ? 2049 + random() % 100 : 8 + random() % 1200;
        const auto fill = static_cast<unsigned char>(random());
        auto* memory = static_cast<unsigned char*>(allocateNodeMemory(size));
        std::memset(memory, fill, size);
        live.push_back({memory, size, fill});
    };
    const auto drop = [&](std::size_t i) {
        ASSERT_TRUE(intact(live[i]));
        releaseNodeMemory(live[i].memory, live[i].size);
        live[i] = live.back();
        live.pop_back();
    };
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 3000; ++i) make();
        while (live.size() > (round % 2 == 0 ? 200u : 0u)) drop(random() % live.size());
    }
    while (!live.empty()) drop(live.size() - 1);
}

} // namespace
} // namespace glimmo
