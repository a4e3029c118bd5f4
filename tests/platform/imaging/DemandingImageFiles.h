#pragma once

// Image files that make a decoder work hard, made in memory with the formats' own encoders: large
// ones, written a row at a time so that making one takes little memory, and a JPEG of many scans.

#include <string>

namespace glimmo::testing {

// Colour 4:4:4 (every component at full resolution), or CMYK as Adobe writes it.
std::string largeJPEG(int width, int height, bool progressive, bool cmyk);
// RGBA of 8 or 16 bits a sample, Adam7-interlaced or not.
std::string largePNG(int width, int height, int bitDepth, bool interlaced);
// `frames` frames, each covering the whole screen.
std::string largeGIF(int width, int height, int frames, bool interlaced);
// Lossy without transparency, lossy with it, or lossless.
enum class WebPKind { lossy, lossyWithAlpha, lossless };
std::string largeWebP(int width, int height, WebPKind kind);
// An animation of two frames of 1 x 1 pixel on a canvas of width x height: the first one at (2, 2), of
// colour (200, 100, 50), the second at (0, 0).
std::string animatedWebPOfTinyFrames(int width, int height);

// A PNG of 1 x 1 pixel carrying `chunks` compressed text chunks, each of almost 8 MB of text once
// inflated (within libpng's limit on one chunk).
std::string pngWithCompressedText(int chunks);

// A progressive greyscale JPEG of one flat colour whose last scan is repeated until the file holds
// `scans` scans (at least 6): each one passes over every block of the image again.
std::string manyScanJPEG(int width, int height, int scans);

} // namespace glimmo::testing
