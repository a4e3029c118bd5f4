#include "platform/view/Font.h"

#include <cmath>

namespace glimmo {

double Font::pointSize(TextStyle style) {
    switch (style) {
    case TextStyle::largeTitle: return 26;
    case TextStyle::title: return 22;
    case TextStyle::title2: return 17;
    case TextStyle::title3: return 15;
    case TextStyle::headline: return 13;
    case TextStyle::subheadline: return 11;
    case TextStyle::body: return 13;
    case TextStyle::callout: return 12;
    case TextStyle::footnote: return 10;
    case TextStyle::caption: return 10;
    case TextStyle::caption2: return 10;
    }
    return 13;
}

Font::Weight Font::defaultWeight(TextStyle style) {
    return style == TextStyle::headline ? Weight::bold() : Weight::regular();
}

Font Font::system(TextStyle style, Design design, std::optional<Weight> weight) {
    Font f;
    f.style_ = style;
    f.size_ = pointSize(style);
    f.design_ = design;
    f.weight_ = weight.value_or(defaultWeight(style));
    return f;
}

Font Font::system(double size, Weight weight, Design design) {
    Font f;
    f.size_ = size;
    f.weight_ = weight;
    f.design_ = design;
    return f;
}

Font Font::custom(std::string name, double size, bool) {
    Font f;
    f.customFamily_ = std::move(name);
    f.size_ = size;
    return f;
}

Font Font::bold() const { return weight(Weight::bold()); }
Font Font::italic() const { Font f = *this; f.italic_ = true; return f; }
Font Font::monospaced() const { Font f = *this; f.monospaced_ = true; return f; }
Font Font::monospacedDigit() const { Font f = *this; f.monospacedDigit_ = true; return f; }
Font Font::smallCaps() const { Font f = *this; f.caps_ = ResolvedFont::Caps::smallCaps; return f; }
Font Font::lowercaseSmallCaps() const { Font f = *this; f.caps_ = ResolvedFont::Caps::lowercaseSmallCaps; return f; }
Font Font::uppercaseSmallCaps() const { Font f = *this; f.caps_ = ResolvedFont::Caps::uppercaseSmallCaps; return f; }
Font Font::weight(Weight w) const { Font f = *this; f.weight_ = w; return f; }
Font Font::width(Width w) const { Font f = *this; f.width_ = w; return f; }
Font Font::scaled(double factor) const { Font f = *this; f.size_ *= factor; return f; }

ResolvedFont Font::resolve() const {
    ResolvedFont r;
    if (!customFamily_.empty()) {
        r.family = customFamily_;
    } else if (design_ == Design::monospaced) {
        r.family = monospacedFontFamily;
    } else {
        r.family = systemFontFamily;
    }
    if (monospaced_) r.family = monospacedFontFamily;
    r.pointSize = size_;
    r.weight = weight_.value;
    r.width = width_.value;
    r.italic = italic_;
    r.caps = caps_;
    r.monospacedDigits = monospacedDigit_;
    return r;
}

} // namespace glimmo
