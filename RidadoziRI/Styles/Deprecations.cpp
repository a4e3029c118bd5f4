#include "RidadoziRI/Styles/Deprecations.h"

#include <bit>
#include <cstdint>

namespace ridadozi {

namespace {

void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

std::size_t hashFloat(glimmo::CGFloat value) {
    if (value == 0) value = 0; // -0 hashes as +0, which it equals
    return std::hash<std::uint64_t>{}(std::bit_cast<std::uint64_t>(value));
}

// Equal colours resolve alike in both schemes, so their resolved values make a fitting hash.
std::size_t hashColor(const glimmo::Color& color) {
    std::size_t seed = 0;
    combine(seed, color.resolve(glimmo::ColorScheme::light).packed());
    combine(seed, color.resolve(glimmo::ColorScheme::dark).packed());
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
        combine(seed, hashFloat(value));
    }
    return seed;
}

bool MarkdownStyle::operator==(const MarkdownStyle& o) const {
    return foregroundColor == o.foregroundColor && measurements == o.measurements;
}

std::size_t MarkdownStyle::hashValue() const {
    std::size_t seed = hashColor(foregroundColor);
    combine(seed, measurements.hashValue());
    return seed;
}

} // namespace ridadozi
