#pragma once

// Image files made in memory for decoder and loader tests, written with the formats' own encoders.

#include "platform/imaging/DecodedImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glimmo::testing {

// Throws std::runtime_error(what) unless `ok`: an encoder that fails ends the test that wanted its file.
void check(bool ok, const char* what);

// width x height pixels whose colour depends on the position, so misplaced rows or columns show.
DecodedImage patternImage(int width, int height, bool withAlpha = false);

std::string encodePNG(const DecodedImage& image);
std::string encodeGreyPNG(int width, int height, std::uint8_t grey);
// A lossless still WebP.
std::string encodeWebP(const DecodedImage& image);
// A lossless animated WebP of the frames (all of one size), 100 ms each.
std::string encodeAnimatedWebP(const std::vector<DecodedImage>& frames);

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // width * height colour indices
    int transparentIndex = -1;
    bool interlaced = false;
};
// A GIF with a global palette of `palette` (RGB triples, a power of two of them) on a logical screen.
std::string encodeGIF(int screenWidth, int screenHeight, const std::vector<std::uint8_t>& palette,
                      const std::vector<GifFrame>& frames);

// Headers that claim a size without the data to fill it.
std::string pngHeaderClaiming(std::uint32_t width, std::uint32_t height);
std::string webpHeaderClaiming(std::uint32_t width, std::uint32_t height);

// A PNG of 1 x 1 pixel carrying `chunks` compressed text chunks, each of almost 8 MB of text once
// inflated (within libpng's limit on one chunk).
std::string pngWithCompressedText(int chunks);

} // namespace glimmo::testing
