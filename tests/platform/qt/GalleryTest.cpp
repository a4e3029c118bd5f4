// The kit gallery: sample sheets rendered through the Qt backend and compared with the PNGs committed
// under docs/kit-gallery/. GLIMMO_UPDATE_GALLERY=1 rewrites the references (then look at them and
// commit them with the change that made them differ).

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/Shapes.h"
#include "platform/view/ViewHost.h"
#include "tests/platform/qt/GallerySheets.h"
#include "tests/platform/qt/ImageComparison.h"
#include "tests/platform/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

constexpr double galleryScale = 2;

fs::path referenceFolder() {
    const char* source = std::getenv("GLIMMO_SOURCE_DIR");
    return fs::path(source ? source : ".") / "docs" / "kit-gallery";
}

bool updating() {
    const char* update = std::getenv("GLIMMO_UPDATE_GALLERY");
    return update && std::string(update) == "1";
}

PixelImage renderSheet(const gallery::Sheet& sheet) {
    ViewHost host(sheet.root, std::make_shared<QtTextMeasurer>());
    host.setColorScheme(sheet.scheme);
    const CGSize fitted = host.sizeThatFits({sheet.width, std::nullopt});
    host.setSize({sheet.width, std::ceil(fitted.height)});
    host.displayList();
    if (sheet.interact) {
        sheet.interact(host);
        host.update();
    }
    return renderDisplayList(host.displayList(), galleryScale);
}

class GalleryTest : public ::testing::TestWithParam<gallery::Sheet> {
protected:
    void SetUp() override { testing::ensureQtApplication(); }
};

TEST_P(GalleryTest, SheetMatchesItsReference) {
    const gallery::Sheet& sheet = GetParam();
    const PixelImage actual = renderSheet(sheet);
    ASSERT_GT(actual.height, 40) << "the sheet laid out to nothing";
    const fs::path reference = referenceFolder() / (sheet.name + ".png");
    const auto difference = fs::exists(reference)
                                ? testing::compareImages(actual, readPNG(reference.string()),
                                                         testing::GalleryTolerance{}.channelThreshold)
                                : testing::ImageDifference{};
    if (updating()) {
        // Only changed images are written, so unchanged sheets keep their files untouched.
        if (fs::exists(reference) && testing::compareImages(actual, readPNG(reference.string()), 0).differingPixels == 0 &&
            difference.sameSize) {
            GTEST_SKIP() << reference << " is up to date";
        }
        fs::create_directories(reference.parent_path());
        writePNG(actual, reference.string());
        GTEST_SKIP() << "rewrote " << reference;
    }
    ASSERT_TRUE(fs::exists(reference)) << reference << " is missing; run with GLIMMO_UPDATE_GALLERY=1 to make it";
    if (!testing::matches(difference)) {
        const fs::path failed = fs::current_path() / "kit-gallery-actual" / (sheet.name + ".png");
        fs::create_directories(failed.parent_path());
        writePNG(actual, failed.string());
        FAIL() << sheet.name << " differs from " << reference << ": "
               << (difference.sameSize ? std::to_string(difference.differingPixels) + " of " +
                                             std::to_string(difference.totalPixels) + " pixels"
                                       : std::string("the size changed"))
               << "; the rendering is in " << failed;
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, GalleryTest, ::testing::ValuesIn(gallery::sheets()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The tolerance lets rasterisation noise through but not a change in drawing.
TEST(GalleryToleranceTest, NoisePassesAndAChangedDrawingFails) {
    testing::ensureQtApplication();
    const gallery::Sheet sheet = gallery::sheets().front();
    const PixelImage reference = renderSheet(sheet);

    PixelImage noisy = reference;
    for (std::size_t i = 0; i < noisy.rgba.size(); i += 7) {
        noisy.rgba[i] = static_cast<std::uint8_t>(std::clamp(noisy.rgba[i] + (i % 2 ? 40 : -40), 0, 255));
    }
    EXPECT_TRUE(testing::matches(testing::compareImages(noisy, reference, testing::GalleryTolerance{}.channelThreshold)));

    // The same sheet with one more small square (8 x 8 points) drawn over it.
    gallery::Sheet changed = sheet;
    changed.root = changed.root.overlay(Rectangle().fill(Color::red()).frame(8, 8), Alignment::topTrailing());
    const auto difference = testing::compareImages(renderSheet(changed), reference, testing::GalleryTolerance{}.channelThreshold);
    EXPECT_TRUE(difference.sameSize);
    EXPECT_FALSE(testing::matches(difference)) << difference.differingPixels << " pixels differ";

    PixelImage cropped = reference;
    cropped.height -= 1;
    cropped.rgba.resize(static_cast<std::size_t>(cropped.width) * cropped.height * 4);
    EXPECT_FALSE(testing::matches(testing::compareImages(cropped, reference, 64)));
}

} // namespace
} // namespace glimmo
