#include "platform/imaging/ImageDecoding.h"
#include "tests/platform/imaging/DemandingImageFiles.h"
#include "tests/platform/imaging/LosslessWebPWriter.h"
#include "tests/platform/imaging/TestImageFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <malloc.h>
#include <unistd.h>

namespace glimmo {
namespace {

using testing::WebPKind;

constexpr std::size_t mebibyte = 1 << 20;

std::size_t statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
    }
    return 0;
}

// In a process of its own, so that nothing else moves its peak: makes the file, then decodes it alone
// and ends with 0 when the peak resident growth stays within what the decode was charged (its pixels
// and the memory its decoder works in) with a quarter more and 64 MiB to spare for what does not grow
// with the image, and reaches its pixels, so that a measure that fails to read cannot pass.
[[noreturn]] void decodeAndExit(const std::function<std::string()>& makeFile) {
    const std::string bytes = makeFile();
    malloc_trim(0);  // what making the file freed is not left resident for the decoder to reuse
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const std::size_t before = statusBytes("VmRSS");
    std::size_t charged = 0;
    std::size_t workspace = 0;  // each count takes the place of the one before: the largest is the most at once
    std::size_t pixelBytes = 0;
    ImageDecodingLimits limits;
    limits.maximumSeconds = 3600;  // a busy machine must not turn this into a refusal
    limits.beforeAllocating = [&charged](std::size_t byteCount) { charged += byteCount; };
    limits.beforeAllocatingWorkspace = [&workspace](std::size_t byteCount) { workspace = std::max(workspace, byteCount); };
    try {
        pixelBytes = decodeImage(bytes, limits).rgba.size();
    } catch (const ImageDecodingError& error) {
        std::fprintf(stderr, "refused, though nothing here bounds the charge: %s\n", error.what());
        _exit(1);
    }
    const std::size_t growth = statusBytes("VmHWM") - before;
    charged += workspace;
    std::fprintf(stderr, "%zu MiB of pixels, charged %zu MiB, grew %zu MiB\n", pixelBytes / mebibyte,
                 charged / mebibyte, growth / mebibyte);
    const bool within = growth >= pixelBytes * 7 / 8 / mebibyte * mebibyte && growth <= charged + charged / 4 + 64 * mebibyte;
    _exit(within ? 0 : 1);
}

// Every format and mode at 8192 x 8192 pixels, a PNG of one pixel with 158 MB of compressed text, and
// WebP files of 1024 x 1024 pixels whose lossless data spreads them over 65,536 groups of prefix codes.
TEST(DecodingMemory, PeakGrowthOfEveryFormatAndModeStaysWithinItsCharge) {
    constexpr int side = 8192;
    static constexpr testing::PrefixGroupsShape manyGroups{.width = 1024, .height = 1024, .groups = 65536};
    const std::vector<std::pair<const char*, std::function<std::string()>>> cases = {
        {"PNG", [] { return testing::largePNG(side, side, 8, false); }},
        {"PNG 16-bit", [] { return testing::largePNG(side, side, 16, false); }},
        {"PNG interlaced", [] { return testing::largePNG(side, side, 8, true); }},
        {"PNG with text", [] { return testing::pngWithCompressedText(20); }},
        {"JPEG", [] { return testing::largeJPEG(side, side, false, false); }},
        {"JPEG progressive", [] { return testing::largeJPEG(side, side, true, false); }},
        {"JPEG CMYK", [] { return testing::largeJPEG(side, side, false, true); }},
        {"JPEG progressive CMYK", [] { return testing::largeJPEG(side, side, true, true); }},
        {"GIF", [] { return testing::largeGIF(side, side, 1, false); }},
        {"GIF interlaced", [] { return testing::largeGIF(side, side, 1, true); }},
        {"GIF animated", [] { return testing::largeGIF(side, side, 3, false); }},
        {"WebP", [] { return testing::largeWebP(side, side, WebPKind::lossy); }},
        {"WebP with alpha", [] { return testing::largeWebP(side, side, WebPKind::lossyWithAlpha); }},
        {"WebP lossless", [] { return testing::largeWebP(side, side, WebPKind::lossless); }},
        {"WebP animated", [] { return testing::animatedWebPOfTinyFrames(side, side); }},
        {"WebP lossless of 65,536 groups", [] { return testing::losslessWebP(manyGroups); }},
        {"WebP with an alpha plane of 65,536 groups", [] { return testing::lossyWebPWithLosslessAlpha(manyGroups); }},
    };
    for (const auto& [name, makeFile] : cases) {
        EXPECT_EXIT(decodeAndExit(makeFile), ::testing::ExitedWithCode(0), "") << name;
    }
}

} // namespace
} // namespace glimmo
