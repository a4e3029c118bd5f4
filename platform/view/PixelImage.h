#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace glimmo {

// Orientation of decoded pixels, as stored in image metadata (EXIF order).
enum class ImageOrientation : std::uint8_t {
    up, down, left, right, upMirrored, downMirrored, leftMirrored, rightMirrored
};

// Decoded pixels: width x height, four bytes per pixel (red, green, blue, alpha; straight alpha), rows
// top to bottom without padding. `scale` is pixels per point. Shared immutably between views and display
// lists, so a display list can outlive the view that drew it.
struct PixelImage {
    int width = 0;
    int height = 0;
    double scale = 1;
    ImageOrientation orientation = ImageOrientation::up;
    std::vector<std::uint8_t> rgba;

    bool isValid() const {
        return width > 0 && height > 0 && rgba.size() == static_cast<std::size_t>(width) * height * 4;
    }
    // Point size after orientation (left/right orientations swap the sides) and scale.
    double pointWidth() const;
    double pointHeight() const;
    bool operator==(const PixelImage&) const = default;
};

using SharedPixels = std::shared_ptr<const PixelImage>;

} // namespace glimmo
