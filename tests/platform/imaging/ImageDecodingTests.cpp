#include "platform/imaging/ImageDecoding.h"
#include "platform/imaging/JPEGEncoding.h"
#include "tests/platform/imaging/DemandingImageFiles.h"
#include "tests/platform/imaging/LosslessWebPWriter.h"
#include "tests/platform/imaging/TestImageFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

namespace glimmo {
namespace {

using testing::GifFrame;

std::string asString(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::array<std::uint8_t, 4> pixelAt(const DecodedImage& image, int x, int y) {
    const std::size_t offset = (static_cast<std::size_t>(y) * image.width + x) * 4;
    return {image.rgba[offset], image.rgba[offset + 1], image.rgba[offset + 2], image.rgba[offset + 3]};
}

ImageDecodingError::Kind decodingErrorKind(std::string_view bytes, const ImageDecodingLimits& limits = {}) {
    try {
        decodeImage(bytes, limits);
    } catch (const ImageDecodingError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "decoding succeeded";
    return ImageDecodingError::Kind::unknownFormat;
}

TEST(ImageFormatDetection, RecognisesEachSignatureAndNothingElse) {
    EXPECT_EQ(detectImageFormat(testing::encodePNG(testing::patternImage(2, 2))), ImageFormat::png);
    EXPECT_EQ(detectImageFormat(asString(encodeJPEG(testing::patternImage(2, 2), 0.9))), ImageFormat::jpeg);
    EXPECT_EQ(detectImageFormat("GIF87a...."), ImageFormat::gif);
    EXPECT_EQ(detectImageFormat("GIF89a...."), ImageFormat::gif);
    EXPECT_EQ(detectImageFormat(testing::encodeWebP(testing::patternImage(2, 2))), ImageFormat::webp);
    EXPECT_EQ(detectImageFormat("RIFF\x10\0\0\0WAVEfmt "), std::nullopt);
    EXPECT_EQ(detectImageFormat(""), std::nullopt);
    EXPECT_EQ(detectImageFormat("\x89PN"), std::nullopt);
}

TEST(PNGDecoding, KeepsEveryPixelAndStraightAlpha) {
    const DecodedImage original = testing::patternImage(13, 7, true);
    const DecodedImage decoded = decodeImage(testing::encodePNG(original));
    EXPECT_TRUE(decoded.isValid());
    EXPECT_EQ(decoded.width, 13);
    EXPECT_EQ(decoded.height, 7);
    EXPECT_EQ(decoded.scale, 1);
    EXPECT_EQ(decoded.rgba, original.rgba);
}

TEST(PNGDecoding, ExpandsGreyToOpaqueRGBA) {
    const DecodedImage decoded = decodeImage(testing::encodeGreyPNG(3, 2, 0x80));
    ASSERT_EQ(decoded.rgba.size(), 3u * 2 * 4);
    EXPECT_EQ(pixelAt(decoded, 2, 1), (std::array<std::uint8_t, 4>{0x80, 0x80, 0x80, 0xff}));
}

TEST(PNGDecoding, TruncatedOrCorruptDataIsMalformed) {
    const std::string png = testing::encodePNG(testing::patternImage(40, 40));
    EXPECT_EQ(decodingErrorKind(png.substr(0, png.size() / 2)), ImageDecodingError::Kind::malformed);
    std::string corrupt = png;
    corrupt[40] = static_cast<char>(corrupt[40] ^ 0x5a);  // inside the image data: the checksum fails
    EXPECT_EQ(decodingErrorKind(corrupt), ImageDecodingError::Kind::malformed);
}

TEST(JPEGDecoding, DecodesColourCloseToTheOriginal) {
    DecodedImage solid{8, 8, 1, {}};
    for (int i = 0; i < 64; ++i) solid.rgba.insert(solid.rgba.end(), {200, 40, 90, 255});
    const DecodedImage decoded = decodeImage(asString(encodeJPEG(solid, 1.0)));
    ASSERT_EQ(decoded.width, 8);
    ASSERT_EQ(decoded.height, 8);
    const auto pixel = pixelAt(decoded, 5, 3);
    EXPECT_NEAR(pixel[0], 200, 3);
    EXPECT_NEAR(pixel[1], 40, 3);
    EXPECT_NEAR(pixel[2], 90, 3);
    EXPECT_EQ(pixel[3], 255);
}

TEST(JPEGDecoding, HeaderCutShortIsMalformed) {
    const std::string jpeg = asString(encodeJPEG(testing::patternImage(16, 16), 0.8));
    EXPECT_EQ(decodingErrorKind(jpeg.substr(0, 30)), ImageDecodingError::Kind::malformed);
}

// The frame header's size fields, patched to claim more than the limit allows.
TEST(JPEGDecoding, OversizedFrameIsRefusedBeforeDecoding) {
    std::string jpeg = asString(encodeJPEG(testing::patternImage(16, 16), 0.8));
    const auto frame = jpeg.find("\xff\xc0");
    ASSERT_NE(frame, std::string::npos);
    jpeg[frame + 5] = '\x4e';  // height 20,000
    jpeg[frame + 6] = '\x20';
    EXPECT_EQ(decodingErrorKind(jpeg), ImageDecodingError::Kind::tooLarge);
}

TEST(GIFDecoding, FirstFrameOnTheLogicalScreenWithTransparency) {
    const std::vector<std::uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    GifFrame first{1, 1, 2, 2, {0, 1, 2, 3}, 3, false};
    GifFrame second{0, 0, 4, 3, std::vector<std::uint8_t>(12, 2), -1, false};
    const DecodedImage decoded = decodeImage(testing::encodeGIF(4, 3, palette, {first, second}));
    ASSERT_EQ(decoded.width, 4);
    ASSERT_EQ(decoded.height, 3);
    EXPECT_EQ(pixelAt(decoded, 1, 1), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(decoded, 2, 1), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(decoded, 1, 2), (std::array<std::uint8_t, 4>{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(decoded, 2, 2)[3], 0) << "the transparent index leaves the canvas clear";
    EXPECT_EQ(pixelAt(decoded, 0, 0)[3], 0) << "outside the first frame nothing is drawn";
}

TEST(GIFDecoding, InterlacedRowsLandInPlace) {
    const std::vector<std::uint8_t> palette = {0, 0, 0, 255, 255, 255};
    GifFrame frame{0, 0, 1, 11, {}, -1, true};
    for (int row = 0; row < 11; ++row) frame.indices.push_back(row % 3 == 0 ? 1 : 0);
    const DecodedImage decoded = decodeImage(testing::encodeGIF(1, 11, palette, {frame}));
    for (int row = 0; row < 11; ++row) {
        EXPECT_EQ(pixelAt(decoded, 0, row)[0], row % 3 == 0 ? 255 : 0) << "row " << row;
    }
}

TEST(GIFDecoding, OversizedScreenAndMissingImageAreRefused) {
    const std::vector<std::uint8_t> palette = {0, 0, 0, 255, 255, 255};
    GifFrame frame{0, 0, 1, 1, {1}, -1, false};
    EXPECT_EQ(decodingErrorKind(testing::encodeGIF(20000, 20000, palette, {frame})), ImageDecodingError::Kind::tooLarge);
    EXPECT_EQ(decodingErrorKind(testing::encodeGIF(4, 4, palette, {})), ImageDecodingError::Kind::malformed);
    const std::string gif = testing::encodeGIF(8, 8, palette, {GifFrame{0, 0, 8, 8, std::vector<std::uint8_t>(64, 1)}});
    EXPECT_EQ(decodingErrorKind(gif.substr(0, gif.size() - 8)), ImageDecodingError::Kind::malformed);
}

TEST(WebPDecoding, LosslessStillImageRoundTrips) {
    const DecodedImage original = testing::patternImage(9, 5, true);
    const DecodedImage decoded = decodeImage(testing::encodeWebP(original));
    EXPECT_EQ(decoded.width, 9);
    EXPECT_EQ(decoded.height, 5);
    EXPECT_EQ(decoded.rgba, original.rgba);
}

TEST(WebPDecoding, AnimationGivesItsFirstFrame) {
    DecodedImage first = testing::patternImage(6, 4);
    DecodedImage second = first;
    for (std::size_t i = 0; i < second.rgba.size(); i += 4) second.rgba[i] = 255 - second.rgba[i];
    const DecodedImage decoded = decodeImage(testing::encodeAnimatedWebP({first, second}));
    EXPECT_EQ(decoded.rgba, first.rgba);
}

TEST(WebPDecoding, AnimationFrameLandsWhereItLiesOnAClearCanvas) {
    DecodedImage expected{6, 4, 1, std::vector<std::uint8_t>(6 * 4 * 4)};
    std::copy_n(std::array<std::uint8_t, 4>{200, 100, 50, 255}.begin(), 4, expected.rgba.begin() + (2 * 6 + 2) * 4);
    EXPECT_EQ(decodeImage(testing::animatedWebPOfTinyFrames(6, 4)), expected);
}

TEST(WebPDecoding, TruncatedFileIsMalformed) {
    const std::string webp = testing::encodeWebP(testing::patternImage(30, 30));
    EXPECT_EQ(decodingErrorKind(webp.substr(0, 20)), ImageDecodingError::Kind::malformed);
    EXPECT_EQ(decodingErrorKind(webp.substr(0, webp.size() - 10)), ImageDecodingError::Kind::malformed);
}

TEST(DecodingLimits, SidesOverTheLimitAreRefusedWithoutAllocating) {
    // 20,000 x 20,000 would need 1.6 GB: refused from the header alone.
    EXPECT_EQ(decodingErrorKind(testing::pngHeaderClaiming(20000, 20000)), ImageDecodingError::Kind::tooLarge);
    EXPECT_EQ(decodingErrorKind(testing::pngHeaderClaiming(16385, 1)), ImageDecodingError::Kind::tooLarge);
    // Exactly at the limit the header is accepted; the missing data is what fails.
    EXPECT_EQ(decodingErrorKind(testing::pngHeaderClaiming(16384, 1)), ImageDecodingError::Kind::malformed);

    const std::string png = testing::encodePNG(testing::patternImage(10, 4));
    EXPECT_EQ(decodingErrorKind(png, ImageDecodingLimits{9}), ImageDecodingError::Kind::tooLarge);
    EXPECT_NO_THROW(decodeImage(png, ImageDecodingLimits{10}));
    EXPECT_EQ(decodingErrorKind(testing::encodeWebP(testing::patternImage(10, 4)), ImageDecodingLimits{9}),
              ImageDecodingError::Kind::tooLarge);
}

// Each side is within its limit, but 8,193 x 8,192 is more than 64 megapixels (256 MiB of pixels): in
// every format such a header is refused. Within the limits each decoder hands the byte count of its
// pixels over before allocating them, once, and a refusal there ends the decode with that refusal.
TEST(DecodingLimits, EveryFormatRefusesTooManyPixelsFromTheHeaderAndAsksBeforeAllocatingItsPixels) {
    std::string jpegBomb = asString(encodeJPEG(testing::patternImage(16, 16), 0.8));
    const auto frame = jpegBomb.find("\xff\xc0");
    ASSERT_NE(frame, std::string::npos);
    jpegBomb.replace(frame + 5, 4, std::string("\x20\x00\x20\x01", 4));  // height 8,192, width 8,193
    const std::string webpBomb = testing::webpHeaderClaiming(8193, 8192);
    const DecodedImage picture = testing::patternImage(6, 4);
    const std::vector<std::uint8_t> palette = {0, 0, 0, 255, 255, 255};
    // Each format's bomb and a picture of 6 x 4 pixels.
    const std::vector<std::tuple<ImageFormat, std::string, std::string>> files = {
        {ImageFormat::png, testing::pngHeaderClaiming(8193, 8192), testing::encodePNG(picture)},
        {ImageFormat::jpeg, jpegBomb, asString(encodeJPEG(picture, 0.9))},
        {ImageFormat::gif, testing::encodeGIF(8193, 8192, palette, {GifFrame{0, 0, 1, 1, {1}}}),
         testing::encodeGIF(6, 4, palette, {GifFrame{0, 0, 6, 4, std::vector<std::uint8_t>(24, 1)}})},
        {ImageFormat::webp, webpBomb, testing::encodeWebP(picture)},
        {ImageFormat::webp, webpBomb, testing::encodeAnimatedWebP({picture, picture})},
    };
    std::set<ImageFormat> covered;
    for (const auto& [format, bomb, bytes] : files) {
        SCOPED_TRACE(static_cast<int>(format));
        ASSERT_EQ(detectImageFormat(bomb), format);
        ASSERT_EQ(detectImageFormat(bytes), format);
        covered.insert(format);
        EXPECT_EQ(decodingErrorKind(bomb), ImageDecodingError::Kind::tooLarge);
        std::vector<std::size_t> asked;
        ImageDecodingLimits limits;
        limits.beforeAllocating = [&asked](std::size_t byteCount) { asked.push_back(byteCount); };
        EXPECT_EQ(decodeImage(bytes, limits).rgba.size(), 6u * 4 * 4);
        EXPECT_EQ(asked, std::vector<std::size_t>{6 * 4 * 4});
        limits.beforeAllocating = [](std::size_t) {
            throw ImageDecodingError(ImageDecodingError::Kind::budgetSpent, "no room");
        };
        EXPECT_EQ(decodingErrorKind(bytes, limits), ImageDecodingError::Kind::budgetSpent);
    }
    EXPECT_EQ(covered.size(), static_cast<std::size_t>(ImageFormat::webp) + 1) << "every format, webp being the last";
    // Exactly at the limit the header is accepted; the missing data is what fails.
    EXPECT_EQ(decodingErrorKind(testing::pngHeaderClaiming(8192, 8192)), ImageDecodingError::Kind::malformed);
    EXPECT_EQ(decodingErrorKind(testing::webpHeaderClaiming(8192, 8192)), ImageDecodingError::Kind::malformed);
}

// What a decoder works in besides the pixels, when it grows with the image, is charged before it is
// allocated, and a refusal there ends the decode: a JPEG of several scans keeps every coefficient (two
// bytes each, in whole blocks). A lossy WebP without transparency needs a few rows only; a lossless
// one is the next test's.
TEST(DecodingLimits, WhatADecoderWorksInIsChargedBeforeItIsAllocated) {
    const std::vector<std::tuple<const char*, std::string, std::size_t>> files = {
        {"JPEG of one scan", testing::largeJPEG(64, 48, false, false), 0},
        {"progressive JPEG", testing::largeJPEG(64, 48, true, false), 3 * 8 * 6 * 128},
        {"progressive CMYK JPEG", testing::largeJPEG(64, 48, true, true), 4 * 8 * 6 * 128},
        {"lossy WebP", testing::largeWebP(64, 48, testing::WebPKind::lossy), 0},
    };
    for (const auto& [name, file, workspace] : files) {
        SCOPED_TRACE(name);
        std::vector<std::size_t> asked;
        ImageDecodingLimits limits;
        limits.beforeAllocatingWorkspace = [&asked](std::size_t byteCount) {
            asked.push_back(byteCount);
            throw ImageDecodingError(ImageDecodingError::Kind::budgetSpent, "no room");
        };
        if (workspace == 0) {
            EXPECT_TRUE(decodeImage(file, limits).isValid());
            EXPECT_THAT(asked, ::testing::IsEmpty());
        } else {
            EXPECT_EQ(decodingErrorKind(file, limits), ImageDecodingError::Kind::budgetSpent);
            EXPECT_EQ(asked, std::vector<std::size_t>{workspace});
        }
    }
}

// What libwebp builds for a lossless image's data grows with what the data asks for: the groups of
// prefix codes (every group up to the highest one named, up to 1,000; past that, those named), the
// colour cache, which lengthens each group's green code, and the transforms' images; an alpha plane's
// as an image's. An animation's first frame is charged as the same still image is. A refusal of that
// charge ends the decode.
TEST(DecodingLimits, ALosslessWebPIsChargedMoreForEachGroupItsDataBuildsAndForWhatLiesAheadOfIt) {
    // The decode's own charge: the second asked for, after the one for reading the head.
    const auto chargeOf = [](const std::string& file) {
        std::vector<std::size_t> asked;
        ImageDecodingLimits limits;
        limits.beforeAllocatingWorkspace = [&asked](std::size_t byteCount) {
            asked.push_back(byteCount);
            if (asked.size() == 2) throw ImageDecodingError(ImageDecodingError::Kind::budgetSpent, "no room");
        };
        EXPECT_EQ(decodingErrorKind(file, limits), ImageDecodingError::Kind::budgetSpent);
        return asked.empty() ? 0 : asked.back();
    };
    // 64 x 48 pixels in blocks of 4: 192 blocks, each naming a group.
    const auto still = [&chargeOf](int groups, int stride = 1, int cacheBits = 0, bool predictor = false) {
        return chargeOf(testing::losslessWebP({.width = 64, .height = 48, .groups = groups, .groupStride = stride,
                                               .colourCacheBits = cacheBits, .predictor = predictor}));
    };
    EXPECT_LT(still(1), still(2));
    EXPECT_LT(still(30), still(192));
    EXPECT_LT(still(192), still(2, 999)) << "groups 0 and 999 build the 1,000 up to 999";
    EXPECT_LT(still(2, 1000), still(3)) << "groups 0 and 1,000 build those two only";
    EXPECT_LT(still(30), still(30, 1, 6)) << "a colour cache";
    EXPECT_LT(still(30, 1, 6), still(30, 1, 11)) << "a larger one";
    EXPECT_LT(still(7), still(7, 1, 0, true)) << "the predictor's image";
    EXPECT_LT(chargeOf(testing::lossyWebPWithLosslessAlpha({.width = 64, .height = 48})),
              chargeOf(testing::lossyWebPWithLosslessAlpha({.width = 64, .height = 48, .groups = 192})));
    EXPECT_EQ(chargeOf(testing::animatedLosslessWebP({.width = 64, .height = 48, .groups = 192})), still(192));
}

// A progressive JPEG of a few kilobytes can hold thousands of scans, each one a pass over the whole
// image: past the bound on scans the decode stops.
TEST(DecodingBounds, JPEGScansPastTheBoundAreRefused) {
    const ImageDecodingLimits limits{.maximumScans = 40};
    EXPECT_EQ(decodeImage(testing::manyScanJPEG(64, 48, 40), limits).rgba.size(), 64u * 48 * 4);
    EXPECT_EQ(decodingErrorKind(testing::manyScanJPEG(64, 48, 41), limits), ImageDecodingError::Kind::tooMuchWork);
    EXPECT_EQ(decodingErrorKind(testing::manyScanJPEG(64, 48, 2000)), ImageDecodingError::Kind::tooMuchWork);
}

// Every decoder counts the samples it produces or passes over, and looks at the clock as it goes.
TEST(DecodingBounds, EveryFormatStopsPastTheWorkBoundOrTheTimeLimit) {
    const DecodedImage picture = testing::patternImage(64, 48);
    const std::vector<std::string> files = {
        testing::encodePNG(picture), testing::largePNG(64, 48, 16, true), asString(encodeJPEG(picture, 0.9)),
        testing::encodeGIF(64, 48, {0, 0, 0, 255, 255, 255}, {GifFrame{0, 0, 64, 48, std::vector<std::uint8_t>(64 * 48, 1)}}),
        testing::encodeWebP(picture), testing::largeWebP(64, 48, testing::WebPKind::lossyWithAlpha),
        testing::encodeAnimatedWebP({picture, picture})};
    constexpr long long pixels = 64 * 48;
    for (const std::string& file : files) {
        SCOPED_TRACE(&file - files.data());
        EXPECT_TRUE(decodeImage(file, {.maximumWork = 8 * pixels}).isValid());
        // Short of the pixels themselves.
        EXPECT_EQ(decodingErrorKind(file, {.maximumWork = pixels - 1}), ImageDecodingError::Kind::tooMuchWork);
        EXPECT_EQ(decodingErrorKind(file, {.maximumSeconds = 0}), ImageDecodingError::Kind::tooMuchWork);
        EXPECT_THAT([&file] { decodeImage(file, {.maximumSeconds = 0}); },
                    ::testing::ThrowsMessage<ImageDecodingError>(::testing::HasSubstr("took longer than 0 seconds")));
    }
    // Each of its 20 scans passes over every sample again.
    const std::string manyScans = testing::manyScanJPEG(64, 48, 20);
    EXPECT_EQ(decodingErrorKind(manyScans, {.maximumWork = 8 * pixels}), ImageDecodingError::Kind::tooMuchWork);
    EXPECT_TRUE(decodeImage(manyScans).isValid());
}

// A lossless file's head can hold images of millions of pixels ahead of its own (here a predictor's of
// 256 x 256 and a prefix image of 512 x 512), read before libwebp reads them. Cut short inside its prefix
// image, the file is malformed once that reading reaches the cut: a refusal of another kind comes from
// within it. So it is held to the clock and the work bound, and the prefix image it keeps is charged,
// after the pixels, before it is made.
TEST(DecodingBounds, ALosslessWebPsHeadIsReadWithinTheBoundsAndItsPrefixImageChargedBeforeItIsMade) {
    const std::string whole = testing::losslessWebP({.width = 2048, .height = 2048, .groups = 2, .predictor = true});
    const std::string cut = whole.substr(0, whole.size() - 1000);  // the prefix image takes a byte a block
    ASSERT_EQ(decodingErrorKind(cut), ImageDecodingError::Kind::malformed);
    EXPECT_EQ(decodingErrorKind(cut, {.maximumSeconds = 0}), ImageDecodingError::Kind::tooMuchWork);
    EXPECT_EQ(decodingErrorKind(cut, {.maximumWork = 256 * 256 / 2}), ImageDecodingError::Kind::tooMuchWork);
    std::string asked;
    ImageDecodingLimits limits;
    limits.beforeAllocating = [&asked](std::size_t) { asked += "pixels, "; };
    limits.beforeAllocatingWorkspace = [&asked](std::size_t byteCount) {
        asked += byteCount >= 512 * 512 * 4 ? "the prefix image" : "less";
        throw ImageDecodingError(ImageDecodingError::Kind::budgetSpent, "no room");
    };
    EXPECT_EQ(decodingErrorKind(cut, limits), ImageDecodingError::Kind::budgetSpent);
    EXPECT_EQ(asked, "pixels, the prefix image");
}

TEST(DecodingLimits, UnknownDataIsNamedAsSuch) {
    EXPECT_EQ(decodingErrorKind(""), ImageDecodingError::Kind::unknownFormat);
    EXPECT_EQ(decodingErrorKind("<html><body>Not found</body></html>"), ImageDecodingError::Kind::unknownFormat);
}

} // namespace
} // namespace glimmo
