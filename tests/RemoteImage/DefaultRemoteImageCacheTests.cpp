#include "RemoteImage/RemoteImageCache.h"

#include <gtest/gtest.h>

namespace remoteimage {
namespace {

DecodedImage onePixel(std::uint8_t red) {
    return std::make_shared<const glimmo::PixelImage>(glimmo::PixelImage{1, 1, 1, glimmo::ImageOrientation::up, {red, 0, 0, 255}});
}

glimmo::URL address(const std::string& name) { return *glimmo::URL::parse("https://example.com/" + name); }

TEST(DefaultRemoteImageCache, KeepsAtMostItsCountDroppingTheLeastRecentlyUsed) {
    DefaultRemoteImageCache cache(2);
    const auto a = onePixel(1);
    const auto b = onePixel(2);
    cache.setImage(a, address("a"));
    cache.setImage(b, address("b"));
    EXPECT_EQ(cache.image(address("a")), a);  // a is now the most recent
    cache.setImage(onePixel(3), address("c"));
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_EQ(cache.image(address("a")), a);
    EXPECT_EQ(cache.image(address("b")), nullptr);
    EXPECT_NE(cache.image(address("c")), nullptr);
}

TEST(DefaultRemoteImageCache, ReplacesAnImageUnderTheSameAddress) {
    DefaultRemoteImageCache cache(2);
    const auto replacement = onePixel(9);
    cache.setImage(onePixel(1), address("a"));
    cache.setImage(replacement, address("a"));
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_EQ(cache.image(address("a")), replacement);
    EXPECT_EQ(cache.image(address("A")), nullptr) << "paths are case-sensitive";
}

// The shared cache lives on between runs of the test and keeps at most 100 images, so each run uses the
// same address: replacing its image with one of two pixels adds the 4 bytes of the second to the
// shared budget, however many runs came before.
TEST(DefaultRemoteImageCache, SharedCacheIsOneInstanceInTheSharedBudget) {
    EXPECT_EQ(DefaultRemoteImageCache::shared().get(), DefaultRemoteImageCache::shared().get());
    const auto twoPixels = std::make_shared<const glimmo::PixelImage>(
        glimmo::PixelImage{2, 1, 1, glimmo::ImageOrientation::up, {1, 0, 0, 255, 2, 0, 0, 255}});
    DefaultRemoteImageCache::shared()->setImage(onePixel(1), address("shared"));
    const std::size_t before = glimmo::PixelBudget::shared()->heldBytes();
    DefaultRemoteImageCache::shared()->setImage(twoPixels, address("shared"));
    EXPECT_EQ(glimmo::PixelBudget::shared()->heldBytes(), before + 4);
    EXPECT_EQ(DefaultRemoteImageCache::shared()->image(address("shared")), twoPixels);
}

} // namespace
} // namespace remoteimage
