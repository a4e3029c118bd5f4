#include "platform/imaging/ImageDecoding.h"
#include "platform/imaging/LosslessWebPHead.h"
#include "tests/platform/imaging/LosslessWebPWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace glimmo {
namespace {

// The head of a lossless stream is read only as far as the data goes: cut anywhere short of the end of
// its prefix image it is refused as malformed, and once that is whole what follows does not matter.
TEST(LosslessWebPHead, AStreamCutShortIsRefusedWhereverItEnds) {
    const testing::PrefixGroupsShape shape{.width = 64, .height = 48, .groups = 300, .colourCacheBits = 4,
                                           .predictor = true, .subtractGreen = true, .paletteColours = 12};
    const std::string stream = testing::losslessImageStream(shape);
    const std::size_t whole = decoding::readLosslessWebPHead(stream, shape.width, shape.height).workspaceBytes();
    std::size_t shortestRead = stream.size();
    for (std::size_t length = 0; length < stream.size(); ++length) {
        const std::string cut = stream.substr(0, length);  // a string of its own: nothing lies past its end
        try {
            EXPECT_EQ(decoding::readLosslessWebPHead(cut, shape.width, shape.height).workspaceBytes(), whole) << length;
            shortestRead = std::min(shortestRead, length);
        } catch (const ImageDecodingError& error) {
            EXPECT_EQ(error.kind(), ImageDecodingError::Kind::malformed);
            EXPECT_LT(length, shortestRead) << "refused, though read whole when cut shorter";
        }
    }
    EXPECT_LT(shortestRead, stream.size()) << "the groups' codes and the pixels follow the head";
}

} // namespace
} // namespace glimmo
