#include "platform/imaging/JPEGEncoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

#include <jpeglib.h>

namespace glimmo {
namespace {

DecodedImage solidImage(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
    DecodedImage image{width, height, 1, {}};
    for (int i = 0; i < width * height; ++i) {
        image.rgba.insert(image.rgba.end(), {r, g, b, a});
    }
    return image;
}

struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<std::uint8_t> rgb;
};

// Reads the bytes back with libjpeg itself, so the test checks what any JPEG reader would see.
Decoded decode(const std::vector<std::uint8_t>& bytes) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    Decoded result{static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   info.output_components, {}};
    result.rgb.resize(static_cast<std::size_t>(result.width) * result.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPLE* row = result.rgb.data() + static_cast<std::size_t>(info.output_scanline) * result.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return result;
}

TEST(JPEGEncoding, EncodesPixelsThatDecodeBackToTheSameImage) {
    const auto bytes = encodeJPEG(solidImage(17, 9, 200, 30, 40), 0.8);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);  // start of image
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);  // end of image

    const auto decoded = decode(bytes);
    EXPECT_EQ(decoded.width, 17);
    EXPECT_EQ(decoded.height, 9);
    EXPECT_EQ(decoded.components, 3);
    for (std::size_t i = 0; i < decoded.rgb.size(); i += 3) {
        EXPECT_NEAR(decoded.rgb[i], 200, 6);
        EXPECT_NEAR(decoded.rgb[i + 1], 30, 6);
        EXPECT_NEAR(decoded.rgb[i + 2], 40, 6);
    }
}

TEST(JPEGEncoding, DropsAlphaAndKeepsRowOrder) {
    // Top half white and fully transparent, bottom half black: alpha must not darken the top rows.
    DecodedImage image = solidImage(8, 16, 255, 255, 255, 0);
    for (int i = 8 * 8; i < 8 * 16; ++i) {
        image.rgba[i * 4] = image.rgba[i * 4 + 1] = image.rgba[i * 4 + 2] = 0;
        image.rgba[i * 4 + 3] = 255;
    }
    const auto decoded = decode(encodeJPEG(image, 1.0));
    EXPECT_GT(decoded.rgb[0], 240);
    EXPECT_LT(decoded.rgb[decoded.rgb.size() - 1], 15);
}

TEST(JPEGEncoding, QualityIsClampedAndShapesTheOutput) {
    // A noisy image so that quality makes a visible difference in size.
    DecodedImage image = solidImage(64, 64, 0, 0, 0);
    unsigned seed = 12345;
    for (auto& byte : image.rgba) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    const auto low = encodeJPEG(image, 0.1);
    const auto high = encodeJPEG(image, 0.95);
    EXPECT_LT(low.size(), high.size());
    EXPECT_EQ(encodeJPEG(image, 7.0), encodeJPEG(image, 1.0));
    EXPECT_EQ(encodeJPEG(image, -3.0), encodeJPEG(image, 0.0));
    EXPECT_EQ(encodeJPEG(image, std::numeric_limits<double>::quiet_NaN()), encodeJPEG(image, 0.0));
}

TEST(JPEGEncoding, RejectsImagesWithoutMatchingPixels) {
    const auto expectInvalid = [](const DecodedImage& image) {
        try {
            encodeJPEG(image, 0.8);
            ADD_FAILURE() << "expected an error for " << image.width << "x" << image.height;
        } catch (const JPEGEncodingError& error) {
            EXPECT_EQ(error.kind(), JPEGEncodingError::Kind::invalidImage);
        }
    };
    expectInvalid(DecodedImage{});
    expectInvalid(DecodedImage{2, 2, 1, std::vector<std::uint8_t>(15, 0)});
    expectInvalid(DecodedImage{-2, -2, 1, std::vector<std::uint8_t>(16, 0)});
    expectInvalid(DecodedImage{0, 5, 1, {}});
}

TEST(JPEGEncoding, ReportsEncoderFailuresAsTypedErrors) {
    // Wider than the format allows (65500 pixels): libjpeg refuses it before writing anything.
    const DecodedImage tooWide{70000, 1, 1, std::vector<std::uint8_t>(70000 * 4, 128)};
    try {
        encodeJPEG(tooWide, 0.8);
        ADD_FAILURE() << "expected an encoder error";
    } catch (const JPEGEncodingError& error) {
        EXPECT_EQ(error.kind(), JPEGEncodingError::Kind::encoderFailed);
        EXPECT_NE(std::string(error.what()), "");
    }
}

} // namespace
} // namespace glimmo
