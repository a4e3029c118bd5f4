#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace glimmo {

// A fully resolved font, what the text measurer and the painter receive. The families are the fonts the
// application loads itself: "Inter" (system font), "DejaVu Sans Mono" (monospaced), "Material Design
// Icons" (symbol images), or a custom family by name.
struct ResolvedFont {
    enum class Caps : std::uint8_t { normal, smallCaps, lowercaseSmallCaps, uppercaseSmallCaps };

    std::string family = "Inter";
    double pointSize = 13;
    int weight = 400;        // CSS/OpenType weight, 100...900
    double width = 1.0;      // 1 is standard; below 1 condensed, above 1 expanded (a stretch factor)
    bool italic = false;
    Caps caps = Caps::normal;
    bool monospacedDigits = false;

    bool operator==(const ResolvedFont&) const = default;
};

inline constexpr const char* systemFontFamily = "Inter";
inline constexpr const char* monospacedFontFamily = "DejaVu Sans Mono";
inline constexpr const char* symbolFontFamily = "Material Design Icons";

// A font as views describe it: a text style or a size, a design or a custom family, and the modifiers
// applied to it. Comparable and cheap to copy.
class Font {
public:
    enum class TextStyle : std::uint8_t {
        largeTitle, title, title2, title3, headline, subheadline, body, callout, footnote, caption, caption2
    };
    enum class Design : std::uint8_t { standard, serif, rounded, monospaced };
    // Font.Weight with its OpenType weight value.
    struct Weight {
        int value = 400;
        static constexpr Weight ultraLight() { return {100}; }
        static constexpr Weight thin() { return {200}; }
        static constexpr Weight light() { return {300}; }
        static constexpr Weight regular() { return {400}; }
        static constexpr Weight medium() { return {500}; }
        static constexpr Weight semibold() { return {600}; }
        static constexpr Weight bold() { return {700}; }
        static constexpr Weight heavy() { return {800}; }
        static constexpr Weight black() { return {900}; }
        bool operator==(const Weight&) const = default;
    };
    // Font.Width as a stretch factor.
    struct Width {
        double value = 1.0;
        static constexpr Width compressed() { return {0.7}; }
        static constexpr Width condensed() { return {0.85}; }
        static constexpr Width standard() { return {1.0}; }
        static constexpr Width expanded() { return {1.25}; }
        bool operator==(const Width&) const = default;
    };

    // The point size of a text style on the original platform (body 13, headline 13 bold, ...).
    static double pointSize(TextStyle style);
    static Weight defaultWeight(TextStyle style);

    static Font system(TextStyle style, Design design = Design::standard, std::optional<Weight> weight = {});
    static Font system(double size, Weight weight = Weight::regular(), Design design = Design::standard);
    // A font by family name. `fixedSize` fonts do not follow the user's text size (there is no such
    // setting here, so both forms behave alike).
    static Font custom(std::string name, double size, bool fixedSize = false);

    static Font largeTitle() { return system(TextStyle::largeTitle); }
    static Font title() { return system(TextStyle::title); }
    static Font title2() { return system(TextStyle::title2); }
    static Font title3() { return system(TextStyle::title3); }
    static Font headline() { return system(TextStyle::headline); }
    static Font subheadline() { return system(TextStyle::subheadline); }
    static Font body() { return system(TextStyle::body); }
    static Font callout() { return system(TextStyle::callout); }
    static Font footnote() { return system(TextStyle::footnote); }
    static Font caption() { return system(TextStyle::caption); }
    static Font caption2() { return system(TextStyle::caption2); }

    Font bold() const;
    Font italic() const;
    Font monospaced() const;
    Font monospacedDigit() const;
    Font smallCaps() const;
    Font lowercaseSmallCaps() const;
    Font uppercaseSmallCaps() const;
    Font weight(Weight w) const;
    Font width(Width w) const;
    // Same font at another size (used by minimumScaleFactor).
    Font scaled(double factor) const;

    ResolvedFont resolve() const;
    std::optional<TextStyle> textStyle() const { return style_; }
    double size() const { return size_; }

    bool operator==(const Font&) const = default;

private:
    Font() = default;
    std::optional<TextStyle> style_;
    std::string customFamily_;
    Design design_ = Design::standard;
    double size_ = 13;
    Weight weight_;
    Width width_;
    bool italic_ = false;
    bool monospaced_ = false;
    bool monospacedDigit_ = false;
    ResolvedFont::Caps caps_ = ResolvedFont::Caps::normal;
};

} // namespace glimmo
