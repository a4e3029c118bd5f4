#pragma once

// Lossless WebP bitstreams written bit by bit from the format's description, for shapes libwebp's own
// encoder never makes: a prefix image that spreads the image over many groups of prefix codes, each
// group of five codes of one symbol, so that the pixels themselves take no bits at all.

#include <string>

namespace glimmo::testing {

struct PrefixGroupsShape {
    int width = 1;
    int height = 1;
    // The prefix image's blocks are 1 << prefixBits pixels square (2 to 9).
    int prefixBits = 2;
    // Block n (in rows of blocks) uses group (n % groups) * groupStride; the bitstream holds the codes
    // of every group up to the highest one used.
    int groups = 1;
    int groupStride = 1;
    // Of the main image; 0 for none, else 1 to 11.
    int colourCacheBits = 0;
    // Transforms ahead of the main image, in this order: a predictor (with a sub-image of its own,
    // blocks of 8 pixels), subtracting green, and a colour table of this many colours (0 for none;
    // up to 16 colours pack several pixels into one).
    bool predictor = false;
    bool subtractGreen = false;
    int paletteColours = 0;
    // The first group's green code has two symbols, so its pixels take a bit each.
    bool pixelsTakeBits = false;
};

// The image data alone, as an alpha plane holds it: transforms, colour cache, prefix image, codes,
// pixels.
std::string losslessImageStream(const PrefixGroupsShape& shape);
// A still lossless WebP file of that image.
std::string losslessWebP(const PrefixGroupsShape& shape);
// A lossy WebP file whose alpha plane is that image, compressed losslessly.
std::string lossyWebPWithLosslessAlpha(const PrefixGroupsShape& shape);
// An animation whose first frame, covering the canvas, is that image, followed by a second frame.
std::string animatedLosslessWebP(const PrefixGroupsShape& shape);

} // namespace glimmo::testing
