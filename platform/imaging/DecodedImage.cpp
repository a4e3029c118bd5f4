#include "platform/imaging/DecodedImage.h"

#include <cstddef>

namespace glimmo {

bool DecodedImage::isValid() const {
    if (width <= 0 || height <= 0) return false;
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return rgba.size() == pixels * 4;
}

} // namespace glimmo
