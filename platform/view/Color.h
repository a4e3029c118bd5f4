#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glimmo {

enum class ColorScheme : std::uint8_t { light, dark };

// A resolved colour: sRGB components and opacity in 0...1, straight (not premultiplied) alpha.
struct RGBA {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    // 0xRRGGBBAA of the rounded components, handy in tests and for painting.
    std::uint32_t packed() const;
    bool operator==(const RGBA&) const = default;
};

// A colour value as views use it. Most colours follow the appearance: they hold one value for the light
// and one for the dark scheme, or a provider that is asked each time the colour is resolved (nothing is
// cached). `opacity` multiplies the alpha of whatever the colour resolves to.
class Color {
public:
    // sRGB components in 0...1.
    Color(double red, double green, double blue, double opacity = 1);
    explicit Color(RGBA rgba);
    Color(RGBA light, RGBA dark);
    // The colour of a 0xRRGGBBAA constant.
    static Color rgba(std::uint32_t value);
    static Color white(double white, double opacity = 1);
    // Asks the producers each time the colour is resolved: light for the light scheme, dark otherwise.
    static Color dynamic(std::function<Color()> light, std::function<Color()> dark);
    static Color dynamic(std::function<RGBA(ColorScheme)> provider);

    Color opacity(double factor) const;
    RGBA resolve(ColorScheme scheme) const;
    // True for clear: nothing needs to be drawn.
    bool isClear() const;

    // Standard colours, at the values of the original platform for each scheme.
    static Color gray();
    static Color blue();
    static Color orange();
    static Color red();
    static Color green();
    static Color yellow();
    static Color purple();
    static Color pink();
    static Color black();
    static Color white();
    static Color clear();
    static Color primary();
    static Color secondary();
    static Color accentColor();
    // System colours.
    static Color labelColor();
    static Color secondaryLabelColor();
    static Color tertiaryLabelColor();
    static Color windowBackgroundColor();
    static Color textBackgroundColor();
    static Color controlBackgroundColor();
    static Color separatorColor();
    static Color controlColor();

    // Equal when both hold the same fixed values, or are the same dynamic colour with equal opacity.
    bool operator==(const Color& other) const;

private:
    Color() = default;
    RGBA light_;
    RGBA dark_;
    std::shared_ptr<const std::function<RGBA(ColorScheme)>> provider_;
    double opacity_ = 1;
};

// A gradient along a line between two unit points of the filled shape's bounds.
struct Gradient {
    struct Stop {
        Color color;
        double location = 0;
    };
    std::vector<Stop> stops;
    Gradient(std::vector<Stop> s) : stops(std::move(s)) {}
    // Colours spread evenly from 0 to 1.
    static Gradient colors(const std::vector<Color>& colors);
};

} // namespace glimmo
