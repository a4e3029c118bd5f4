#include "platform/view/TextMeasurer.h"

namespace glimmo {

double bodyLineHeight(const TextMeasurer& measurer) {
    const FontMetrics m = measurer.metrics(Font::body().resolve());
    return m.ascent + m.descent + m.leading;
}

FontMetrics FixedAdvanceTextMeasurer::metrics(const ResolvedFont& font) const {
    return {font.pointSize * 0.8, font.pointSize * 0.2, 0};
}

double FixedAdvanceTextMeasurer::advance(std::string_view utf8, const ResolvedFont& font) const {
    std::size_t codePoints = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++codePoints;
    }
    return static_cast<double>(codePoints) * factor_ * font.pointSize;
}

} // namespace glimmo
