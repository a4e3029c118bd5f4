#include "platform/view/Color.h"

#include <algorithm>
#include <cmath>

namespace glimmo {
namespace {

RGBA rgb255(int r, int g, int b, double a = 1) { return {r / 255.0, g / 255.0, b / 255.0, a}; }

std::uint32_t channel(double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

} // namespace

std::uint32_t RGBA::packed() const {
    return channel(red) << 24 | channel(green) << 16 | channel(blue) << 8 | channel(alpha);
}

Color::Color(double red, double green, double blue, double opacity)
    : light_{red, green, blue, opacity}, dark_{red, green, blue, opacity} {}

Color::Color(RGBA rgba) : light_(rgba), dark_(rgba) {}

Color::Color(RGBA light, RGBA dark) : light_(light), dark_(dark) {}

Color Color::rgba(std::uint32_t v) {
    return Color(((v >> 24) & 0xFF) / 255.0, ((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0,
                 (v & 0xFF) / 255.0);
}

Color Color::white(double white, double opacity) { return Color(white, white, white, opacity); }

Color Color::dynamic(std::function<Color()> light, std::function<Color()> dark) {
    return dynamic([light = std::move(light), dark = std::move(dark)](ColorScheme scheme) {
        return scheme == ColorScheme::light ? light().resolve(scheme) : dark().resolve(scheme);
    });
}

Color Color::dynamic(std::function<RGBA(ColorScheme)> provider) {
    Color c;
    c.provider_ = std::make_shared<const std::function<RGBA(ColorScheme)>>(std::move(provider));
    return c;
}

Color Color::opacity(double factor) const {
    Color c = *this;
    c.opacity_ *= factor;
    return c;
}

RGBA Color::resolve(ColorScheme scheme) const {
    RGBA v = provider_ ? (*provider_)(scheme) : (scheme == ColorScheme::light ? light_ : dark_);
    v.alpha *= opacity_;
    return v;
}

bool Color::isClear() const {
    return !provider_ && (light_.alpha * opacity_ == 0) && (dark_.alpha * opacity_ == 0);
}

bool Color::operator==(const Color& o) const {
    return provider_ == o.provider_ && opacity_ == o.opacity_ && (provider_ || (light_ == o.light_ && dark_ == o.dark_));
}

// Values of the original platform's system colours in the aqua and dark aqua appearances.
Color Color::gray() { return Color(rgb255(142, 142, 147), rgb255(152, 152, 157)); }
Color Color::blue() { return Color(rgb255(0, 122, 255), rgb255(10, 132, 255)); }
Color Color::orange() { return Color(rgb255(255, 149, 0), rgb255(255, 159, 10)); }
Color Color::red() { return Color(rgb255(255, 59, 48), rgb255(255, 69, 58)); }
Color Color::green() { return Color(rgb255(40, 205, 65), rgb255(50, 215, 75)); }
Color Color::yellow() { return Color(rgb255(255, 204, 0), rgb255(255, 214, 10)); }
Color Color::purple() { return Color(rgb255(175, 82, 222), rgb255(191, 90, 242)); }
Color Color::pink() { return Color(rgb255(255, 45, 85), rgb255(255, 55, 95)); }
Color Color::black() { return Color(0, 0, 0, 1); }
Color Color::white() { return Color(1, 1, 1, 1); }
Color Color::clear() { return Color(0, 0, 0, 0); }
Color Color::primary() { return labelColor(); }
Color Color::secondary() { return secondaryLabelColor(); }
Color Color::accentColor() { return blue(); }
Color Color::labelColor() { return Color(RGBA{0, 0, 0, 0.85}, RGBA{1, 1, 1, 0.85}); }
Color Color::secondaryLabelColor() { return Color(RGBA{0, 0, 0, 0.5}, RGBA{1, 1, 1, 0.55}); }
Color Color::tertiaryLabelColor() { return Color(RGBA{0, 0, 0, 0.26}, RGBA{1, 1, 1, 0.25}); }
Color Color::windowBackgroundColor() { return Color(rgb255(236, 236, 236), rgb255(50, 50, 50)); }
Color Color::textBackgroundColor() { return Color(rgb255(255, 255, 255), rgb255(30, 30, 30)); }
Color Color::controlBackgroundColor() { return Color(rgb255(255, 255, 255), rgb255(30, 30, 30)); }
Color Color::separatorColor() { return Color(RGBA{0, 0, 0, 0.1}, RGBA{1, 1, 1, 0.1}); }
Color Color::controlColor() { return Color(rgb255(255, 255, 255), RGBA{1, 1, 1, 0.25}); }

Gradient Gradient::colors(const std::vector<Color>& colors) {
    std::vector<Stop> stops;
    const std::size_t n = colors.size();
    for (std::size_t i = 0; i < n; ++i) {
        stops.push_back({colors[i], n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0});
    }
    return Gradient(std::move(stops));
}

} // namespace glimmo
