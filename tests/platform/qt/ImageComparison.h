#pragma once

// Comparing a rendering with its reference image, tolerant of antialiasing and glyph rasterisation
// noise but not of a change in what is drawn.

#include "platform/view/PixelImage.h"

#include <cstddef>
#include <string>

namespace glimmo::testing {

struct ImageDifference {
    bool sameSize = false;
    std::size_t differingPixels = 0; // pixels with a channel differing by more than the threshold
    std::size_t totalPixels = 0;
    double differingShare() const { return totalPixels ? static_cast<double>(differingPixels) / totalPixels : 1.0; }
};

ImageDifference compareImages(const PixelImage& actual, const PixelImage& reference, int channelThreshold);

struct GalleryTolerance {
    int channelThreshold = 64;       // of 255
    double maximumDifferingShare = 0.0001; // about 130 pixels of a 880 x 1500 sheet
};

bool matches(const ImageDifference& d, const GalleryTolerance& tolerance = {});

} // namespace glimmo::testing
