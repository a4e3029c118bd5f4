#include "platform/view/PixelCache.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

std::shared_ptr<const int> value(int number) { return std::make_shared<const int>(number); }

// Two caches on one budget: together they never hold more than it, and what goes is the least
// recently used entry of either.
TEST(PixelCache, CachesShareOneBudgetAndLetTheLeastRecentlyUsedGo) {
    const auto budget = std::make_shared<PixelBudget>(100);
    PixelCache<int> first(0, budget);
    PixelCache<int> second(0, budget);
    first.store("a", value(1), 40);
    second.store("b", value(2), 40);
    EXPECT_EQ(*first.find("a"), 1);  // a is now more recent than b
    first.store("c", value(3), 40);
    EXPECT_EQ(budget->heldBytes(), 80u);
    EXPECT_TRUE(first.find("a"));
    EXPECT_FALSE(second.find("b"));
    EXPECT_TRUE(first.find("c"));

    first.store("huge", value(4), 101);
    EXPECT_FALSE(first.find("huge")) << "larger than the whole budget: not kept";
    EXPECT_EQ(budget->heldBytes(), 80u) << "and nothing else let go for it";
    first.store("a", value(5), 10);
    EXPECT_EQ(*first.find("a"), 5);
    EXPECT_EQ(budget->heldBytes(), 50u) << "a replaced value gives its bytes back";
    {
        PixelCache<int> third(0, budget);
        third.store("d", value(6), 50);
        EXPECT_EQ(budget->heldBytes(), 100u);
    }
    EXPECT_EQ(budget->heldBytes(), 50u) << "a cache that goes gives its bytes back";
}

} // namespace
} // namespace glimmo
