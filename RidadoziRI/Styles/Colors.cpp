#include "RidadoziRI/Styles/Colors.h"

namespace ridadozi {

glimmo::Color rgbaColor(std::uint32_t value) {
    return glimmo::Color(((value >> 24) & 0xFF) / 255.0, ((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0,
                         (value & 0xFF) / 255.0);
}

glimmo::Color adaptiveColor(std::function<glimmo::Color()> light, std::function<glimmo::Color()> dark) {
    return glimmo::Color::dynamic([light = std::move(light), dark = std::move(dark)](glimmo::ColorScheme scheme) {
        return (scheme == glimmo::ColorScheme::light ? light() : dark()).resolve(scheme);
    });
}

} // namespace ridadozi
