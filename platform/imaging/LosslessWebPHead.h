#pragma once

// Internal: what a lossless WebP bitstream makes libwebp allocate besides the image itself, read from
// the stream's head before libwebp reads it. A prefix image of a few hundred kilobytes can spread the
// image over 65,536 groups of prefix codes, and libwebp builds the tables of every group used before
// it decodes a pixel: those tables, not the pixels, are then most of the memory a decode takes.

#include "platform/imaging/DecodingWork.h"

#include <cstddef>
#include <string_view>

namespace glimmo::decoding {

struct LosslessWebPHead {
    // The groups of prefix codes libwebp builds tables for.
    int prefixCodeGroups = 1;
    // Of the main image: each group's green code grows with the colour cache.
    int colourCacheBits = 0;
    // The pixels of the images ahead of the main one: the transforms' and the prefix image.
    long long leadingImagePixels = 0;

    // The bytes libwebp 1.2.4 allocates for all that.
    std::size_t workspaceBytes() const;
};

// Reads `stream` (from its transforms on: past the header of a lossless file, or an alpha plane's
// data) of an image of width x height, up to the end of its prefix image, within the decode's bounds:
// the pixels of the images it reads count in `work`, and the bytes of the one it keeps, the prefix
// image, go to the limits' beforeAllocatingWorkspace before it is made. Throws ImageDecodingError:
// malformed when the stream is cut short or breaks the format before that, tooMuchWork when `work`
// refuses, or what beforeAllocatingWorkspace throws.
LosslessWebPHead readLosslessWebPHead(std::string_view stream, int width, int height, DecodingWork& work,
                                      const ImageDecodingLimits& limits);

} // namespace glimmo::decoding
