#pragma once

#include <cstdint>
#include <vector>

namespace glimmo {

// A decoded bitmap: `width` x `height` pixels, four bytes each (red, green, blue, alpha; straight
// alpha), rows top to bottom with no padding. `scale` is the number of pixels per point.
struct DecodedImage {
    int width = 0;
    int height = 0;
    double scale = 1;
    std::vector<std::uint8_t> rgba;

    // True when the dimensions are positive and the pixel buffer holds exactly width * height pixels.
    bool isValid() const;

    bool operator==(const DecodedImage&) const = default;
};

} // namespace glimmo
