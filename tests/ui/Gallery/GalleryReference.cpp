#include "tests/ui/Gallery/GalleryReference.h"

#include "platform/qt/OffscreenRendering.h"
#include "tests/platform/qt/ImageComparison.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace glimmo::testing {

namespace fs = std::filesystem;

namespace {

fs::path programFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : program.parent_path();
}

bool updating() {
    const char* update = std::getenv("GLIMMO_UPDATE_GALLERY");
    return update && std::string(update) == "1";
}

} // namespace

void expectMatchesGallery(const PixelImage& actual, const std::string& folder, const std::string& name) {
    const char* source = std::getenv("GLIMMO_SOURCE_DIR");
    const fs::path reference = fs::path(source ? source : ".") / "docs" / folder / (name + ".png");
    const fs::path rendered = programFolder() / folder / (name + ".png");
    fs::create_directories(rendered.parent_path());
    writePNG(actual, rendered.string());

    const bool exists = fs::exists(reference);
    if (updating()) {
        // Rewriting an identical image would only churn the PNG encoding.
        if (exists) {
            const ImageDifference exact = compareImages(actual, readPNG(reference.string()), 0);
            if (exact.sameSize && exact.differingPixels == 0) return;
        }
        fs::create_directories(reference.parent_path());
        writePNG(actual, reference.string());
        return;
    }
    ASSERT_TRUE(exists) << reference << " is missing; run with GLIMMO_UPDATE_GALLERY=1 to make it";
    const GalleryTolerance tolerance;
    const ImageDifference difference = compareImages(actual, readPNG(reference.string()), tolerance.channelThreshold);
    EXPECT_TRUE(matches(difference, tolerance))
        << name << " differs from " << reference << ": "
        << (difference.sameSize ? std::to_string(difference.differingPixels) + " of " + std::to_string(difference.totalPixels) + " pixels"
                                : std::string("the size changed"))
        << "; this run's rendering is " << rendered;
}

} // namespace glimmo::testing
