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
