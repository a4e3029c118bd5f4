#pragma once

#include "platform/view/Color.h"

#include <cstdint>
#include <functional>

namespace ridadozi {

// The sRGB colour of a 0xRRGGBBAA constant, each byte over 255.
glimmo::Color rgbaColor(std::uint32_t value);

// A colour that follows the appearance: the light producer's colour only under the light appearance,
// the dark producer's otherwise. The producers are asked each time the colour is resolved.
glimmo::Color adaptiveColor(std::function<glimmo::Color()> light, std::function<glimmo::Color()> dark);

} // namespace ridadozi
