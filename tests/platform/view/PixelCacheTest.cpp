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

// What the decoder works in besides the pixels counts against the same live bound while it decodes and
// is given back when the decode ends. This lossless WebP of 2 x 2 pixels (16 bytes), as libwebp's encoder
// writes it, is decoded in libwebp's own form (16 bytes) with a transform's image of 4 pixels (16 bytes)
// and the tables of one group of prefix codes (12,384 bytes). One with a prefix image (here of a pixel)
// is charged that image while its head is read, and then the decode's memory in its place.
TEST(PixelBudget, DecodingChargesWhatTheDecoderWorksInUntilTheDecodeEnds) {
    const std::string webp("RIFF\x32\0\0\0WEBPVP8L\x26\0\0\0\x2f\x01\x40\0\0\x1f\x30\x0d\x42\x82\x84\xe6\xff\xb9\x36\x82"
                           "\x49\x9a\x6a\xff\x9f\x3c\x98\xff\x80\x9a\xc6\x07\xb2\x01\xca\x54\x61\x13\xd1\xff\xd8\x01",
                           58);
    constexpr std::size_t pixelBytes = 16;
    constexpr std::size_t workspaceBytes = 16 + 16 + 12384;
    const auto tight = std::make_shared<PixelBudget>(0, pixelBytes + workspaceBytes - 1);
    const auto spent = ::testing::Property(&ImageDecodingError::kind, ImageDecodingError::Kind::budgetSpent);
    EXPECT_THAT([&] { decodePixels(webp, 1, tight); }, ::testing::Throws<ImageDecodingError>(spent));
    EXPECT_EQ(tight->liveBytes(), 0u);
    const auto enough = std::make_shared<PixelBudget>(0, pixelBytes + workspaceBytes);
    const SharedPixels pixels = decodePixels(webp, 1, enough);
    EXPECT_EQ(pixels->rgba.size(), pixelBytes);
    EXPECT_EQ(enough->liveBytes(), pixelBytes);

    const std::string grouped("RIFF\x18\0\0\0WEBPVP8L\x0c\0\0\0\x2f\x01\x40\0\0\x84\x88\x88\x88\x88\xfe\x07", 32);
    EXPECT_EQ(decodePixels(grouped, 1, std::make_shared<PixelBudget>(0, pixelBytes + 16 + 4 + 12384))->rgba.size(), pixelBytes);
}

} // namespace
} // namespace glimmo
