#pragma once

// Image files that make a decoder work hard, made in memory with the formats' own encoders: large ones,
// of one row of pixels repeated (but for a GIF) so that they are quick to make, and small ones that cost
// far more to decode than their size.

#include <string>
#include <vector>

namespace glimmo::testing {

// Colour 4:4:4 (every component at full resolution), or CMYK as Adobe writes it.
std::string largeJPEG(int width, int height, bool progressive, bool cmyk);
// RGBA of 8 or 16 bits a sample.
std::string largePNG(int width, int height, int bitDepth, bool interlaced);
// `frames` frames, each covering the whole screen.
std::string largeGIF(int width, int height, int frames, bool interlaced);
enum class WebPKind { lossy, lossyWithAlpha, lossless };
std::string largeWebP(int width, int height, WebPKind kind);
// Lossy, of noise: every row takes data of its own.
std::string noisyWebP(int width, int height);

// An animation on a canvas of width x height of these still files, each at its offset (even numbers),
// 100 ms each.
struct AnimationFrame {
    std::string file;
    int left = 0;
    int top = 0;
};
std::string animatedWebP(int width, int height, const std::vector<AnimationFrame>& frames);
// An animation of two frames of 1 x 1 pixel on a canvas of width x height: the first one at (2, 2), of
// colour (200, 100, 50), the second at (0, 0).
std::string animatedWebPOfTinyFrames(int width, int height);
// A progressive greyscale JPEG of one flat colour whose last scan is repeated until the file holds
// `scans` scans (at least 6): each one passes over every block of the image again.
std::string manyScanJPEG(int width, int height, int scans);

} // namespace glimmo::testing
