#include "platform/view/PixelCache.h"

#include "platform/imaging/ImageDecoding.h"
#include "platform/view/Image.h"
#include "platform/view/PixelDecoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glimmo {
namespace {

std::shared_ptr<const int> value(int number) { return std::make_shared<const int>(number); }

// Two caches on one budget: together they never hold more than it, and what goes is the least
// recently used entry of either.
TEST(PixelCache, CachesShareOneBudgetAndLetTheLeastRecentlyUsedGo) {
    const auto budget = std::make_shared<PixelBudget>(100, 1000);
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

// An image shown at the scale and orientation its pixels already have shares them; another scale or
// orientation is a copy, charged like decoded pixels for as long as it lives, and refused past the bound.
TEST(PixelBudget, CopiesAtAnotherScaleAreChargedAndTheSameScaleSharesThePixels) {
    const auto budget = std::make_shared<PixelBudget>(0, 40);
    const SharedPixels pixels = sharePixels(PixelImage{2, 2, 1, ImageOrientation::up, std::vector<std::uint8_t>(16, 7)},
                                            budget->charge(16));
    EXPECT_EQ(Image(pixels, 1, ImageOrientation::up, "label").pixels(), pixels);
    EXPECT_EQ(withScaleAndOrientation(pixels, 1, ImageOrientation::up, budget), pixels);
    EXPECT_EQ(budget->liveBytes(), 16u);
    {
        const SharedPixels turned = withScaleAndOrientation(pixels, 2, ImageOrientation::left, budget);
        EXPECT_EQ(turned->scale, 2);
        EXPECT_EQ(turned->orientation, ImageOrientation::left);
        EXPECT_EQ(turned->rgba, pixels->rgba);
        EXPECT_EQ(budget->liveBytes(), 32u);
        const auto spent = ::testing::Property(&ImageDecodingError::kind, ImageDecodingError::Kind::budgetSpent);
        EXPECT_THAT([&] { withScaleAndOrientation(pixels, 3, ImageOrientation::up, budget); }, ::testing::Throws<ImageDecodingError>(spent));
    }
    EXPECT_EQ(budget->liveBytes(), 16u);
}

} // namespace
} // namespace glimmo
