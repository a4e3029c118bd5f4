#include "tests/platform/qt/ImageComparison.h"

#include <cstdlib>

namespace glimmo::testing {

ImageDifference compareImages(const PixelImage& actual, const PixelImage& reference, int channelThreshold) {
    ImageDifference d;
    d.sameSize = actual.width == reference.width && actual.height == reference.height && actual.isValid() &&
                 reference.isValid();
    if (!d.sameSize) return d;
    d.totalPixels = static_cast<std::size_t>(actual.width) * actual.height;
    for (std::size_t i = 0; i < d.totalPixels; ++i) {
        for (std::size_t c = 0; c < 4; ++c) {
            if (std::abs(actual.rgba[i * 4 + c] - reference.rgba[i * 4 + c]) > channelThreshold) {
                ++d.differingPixels;
                break;
            }
        }
    }
    return d;
}

bool matches(const ImageDifference& d, const GalleryTolerance& tolerance) {
    return d.sameSize && d.differingShare() <= tolerance.maximumDifferingShare;
}

} // namespace glimmo::testing
