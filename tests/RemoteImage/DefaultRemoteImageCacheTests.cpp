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

TEST(DefaultRemoteImageCache, SharedCacheIsOneInstanceInTheSharedBudget) {
    EXPECT_EQ(DefaultRemoteImageCache::shared().get(), DefaultRemoteImageCache::shared().get());
    const std::size_t before = glimmo::PixelBudget::shared()->heldBytes();
    // The shared cache lives on between runs of the test: each run stores under an address of its own.
    static int run = 0;
    DefaultRemoteImageCache::shared()->setImage(onePixel(1), address("shared-" + std::to_string(++run)));
    EXPECT_EQ(glimmo::PixelBudget::shared()->heldBytes(), before + 4);
}

} // namespace
} // namespace remoteimage
