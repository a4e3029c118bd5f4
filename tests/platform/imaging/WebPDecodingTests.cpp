#include "platform/imaging/DecodingWork.h"
#include "platform/imaging/ImageDecoding.h"
#include "platform/imaging/LosslessWebPHead.h"
#include "platform/imaging/WebPRows.h"
#include "tests/platform/imaging/DemandingImageFiles.h"
#include "tests/platform/imaging/LosslessWebPWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

// The head of a lossless stream is read only as far as the data goes: cut anywhere short of the end of
// its prefix image it is refused as malformed, and once that is whole what follows does not matter.
TEST(LosslessWebPHead, AStreamCutShortIsRefusedWhereverItEnds) {
    const testing::PrefixGroupsShape shape{.width = 64, .height = 48, .groups = 300, .colourCacheBits = 4,
                                           .predictor = true, .subtractGreen = true, .paletteColours = 12};
    const std::string stream = testing::losslessImageStream(shape);
    const ImageDecodingLimits limits;
    const auto workspaceOf = [&](std::string_view data) {
        decoding::DecodingWork work(limits, "WebP");
        return decoding::readLosslessWebPHead(data, shape.width, shape.height, work, limits).workspaceBytes();
    };
    const std::size_t whole = workspaceOf(stream);
    std::size_t shortestRead = stream.size();
    for (std::size_t length = 0; length < stream.size(); ++length) {
        const std::string cut = stream.substr(0, length);  // a string of its own: nothing lies past its end
        try {
            EXPECT_EQ(workspaceOf(cut), whole) << length;
            shortestRead = std::min(shortestRead, length);
        } catch (const ImageDecodingError& error) {
            EXPECT_EQ(error.kind(), ImageDecodingError::Kind::malformed);
            EXPECT_LT(length, shortestRead) << "refused, though read whole when cut shorter";
        }
    }
    EXPECT_LT(shortestRead, stream.size()) << "the groups' codes and the pixels follow the head";
}

// The head of a lossless file can hold images of millions of pixels ahead of the image's own (here a
// predictor's of 256 x 256 and a prefix image of 512 x 512), which the decoder reads before libwebp
// does. Cut short inside its prefix image, the file is malformed once that reading reaches the cut: a
// refusal of another kind came from within the reading, before its end. So it is held to the decode's
// clock and work bound, and the prefix image it keeps is charged, after the pixels, before it is made.
TEST(LosslessWebPHead, IsReadWithinTheDecodesBoundsAndItsPrefixImageChargedBeforeItIsMade) {
    const testing::PrefixGroupsShape shape{.width = 2048, .height = 2048, .prefixBits = 2, .groups = 2, .predictor = true};
    constexpr long long predictorPixels = 256 * 256;
    constexpr std::size_t prefixImageBytes = 512 * 512 * 4;
    const std::string whole = testing::losslessWebP(shape);
    const std::string cut = whole.substr(0, whole.size() - 1000);  // the prefix image takes a byte a block
    const auto kindOf = [&cut](const ImageDecodingLimits& limits) {
        try {
            decodeImage(cut, limits);
        } catch (const ImageDecodingError& error) {
            return error.kind();
        }
        ADD_FAILURE() << "decoded";
        return ImageDecodingError::Kind::unknownFormat;
    };
    ASSERT_EQ(kindOf({}), ImageDecodingError::Kind::malformed);
    EXPECT_EQ(kindOf({.maximumSeconds = 0}), ImageDecodingError::Kind::tooMuchWork);
    EXPECT_EQ(kindOf({.maximumWork = predictorPixels / 2}), ImageDecodingError::Kind::tooMuchWork);

    std::vector<std::pair<const char*, std::size_t>> asked;
    ImageDecodingLimits limits;
    limits.beforeAllocating = [&asked](std::size_t byteCount) { asked.emplace_back("pixels", byteCount); };
    limits.beforeAllocatingWorkspace = [&asked](std::size_t byteCount) {
        asked.emplace_back("workspace", byteCount);
        throw ImageDecodingError(ImageDecodingError::Kind::budgetSpent, "no room");
    };
    EXPECT_EQ(kindOf(limits), ImageDecodingError::Kind::budgetSpent);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_STREQ(asked[0].first, "pixels");
    EXPECT_STREQ(asked[1].first, "workspace");
    EXPECT_GE(asked[1].second, prefixImageBytes);
}

// A file of many rows: the data goes to libwebp some rows' worth at a time, and the work and the clock
// are checked after each piece, so a refusal leaves the last rows unwritten.
TEST(WebPRows, ARefusalComesBeforeTheLastRowsAreWritten) {
    constexpr int width = 128;
    constexpr int height = 8192;
    const std::string file = testing::noisyWebP(width, height);
    ASSERT_LT(file.size(), 1u << 20) << "within the piece the data used to be handed over in";
    for (const ImageDecodingLimits& limits : {ImageDecodingLimits{.maximumWork = 1LL * width * height / 2},
                                              ImageDecodingLimits{.maximumSeconds = 0}}) {
        constexpr std::uint8_t unwritten = 0x5a;
        std::vector<std::uint8_t> rows(std::size_t{width} * height * 4, unwritten);
        decoding::DecodingWork work(limits, "WebP");
        try {
            decoding::decodeWebPRows(file, {width, height, rows.data(), std::size_t{width} * 4}, work);
            ADD_FAILURE() << "decoded past the bound";
        } catch (const ImageDecodingError& error) {
            EXPECT_EQ(error.kind(), ImageDecodingError::Kind::tooMuchWork);
        }
        EXPECT_TRUE(std::all_of(rows.end() - width * 4, rows.end(), [](std::uint8_t byte) { return byte == unwritten; }));
    }
}

} // namespace
} // namespace glimmo
