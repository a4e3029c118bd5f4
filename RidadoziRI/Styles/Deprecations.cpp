#include "RidadoziRI/Styles/Deprecations.h"

#include "RidadoziRI/Document/HashCombine.h"

namespace ridadozi {

namespace {

// Equal colours resolve alike in both schemes, so their resolved values make a fitting hash.
std::size_t hashColor(const glimmo::Color& color) {
    std::size_t seed = 0;
    detail::hashCombine(seed, color.resolve(glimmo::ColorScheme::light).packed());
    detail::hashCombine(seed, color.resolve(glimmo::ColorScheme::dark).packed());
    return seed;
}

} // namespace

bool MarkdownStyle::Measurements::operator==(const Measurements& o) const {
    return codeFontScale == o.codeFontScale && headIndentStep == o.headIndentStep && tailIndentStep == o.tailIndentStep &&
           paragraphSpacing == o.paragraphSpacing && listMarkerSpacing == o.listMarkerSpacing &&
           headingSpacing == o.headingSpacing;
}

std::size_t MarkdownStyle::Measurements::hashValue() const {
    std::size_t seed = 0;
    for (const glimmo::CGFloat value :
         {codeFontScale, headIndentStep, tailIndentStep, paragraphSpacing, listMarkerSpacing, headingSpacing}) {
        detail::hashCombine(seed, detail::hashFloat(value));
    }
    return seed;
}

bool MarkdownStyle::operator==(const MarkdownStyle& o) const {
    return foregroundColor == o.foregroundColor && measurements == o.measurements;
}

std::size_t MarkdownStyle::hashValue() const {
    std::size_t seed = hashColor(foregroundColor);
    detail::hashCombine(seed, measurements.hashValue());
    return seed;
}

} // namespace ridadozi
