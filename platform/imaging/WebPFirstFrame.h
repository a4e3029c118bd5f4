#pragma once

// Internal: the first frame of an animated WebP file, found in its container. Only the chunks up to
// that frame are read: an index of every frame would grow with the file.

#include <optional>
#include <string_view>

namespace glimmo::decoding {

struct WebPFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // The frame's chunks (alpha, if any, then the image), which the decoder reads as a still image.
    std::string_view bitstream;
};

// Nullopt when the file holds no complete frame.
std::optional<WebPFrame> firstAnimationFrame(std::string_view file);

} // namespace glimmo::decoding
