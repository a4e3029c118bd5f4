#include "RidadoziRI/Styles/FontProperties.h"

#include "RidadoziRI/Styles/RelativeSize.h"

#include <bit>
#include <cstdint>

namespace ridadozi {

namespace {

void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

std::size_t hashFloat(glimmo::CGFloat value) {
    // Negative zero hashes as positive zero, which it equals.
    if (value == 0) value = 0;
    return std::hash<std::uint64_t>{}(std::bit_cast<std::uint64_t>(value));
}

} // namespace

glimmo::Font::Width FontProperties::width() const {
    if (widthStorage) {
        if (const auto* stored = widthStorage->get<glimmo::Font::Width>()) return *stored;
    }
    return glimmo::Font::Width::standard();
}

void FontProperties::setWidth(glimmo::Font::Width newWidth) {
    widthStorage = glimmo::AnyHashable(newWidth);
}

glimmo::CGFloat FontProperties::effectiveSize() const {
    return roundedPoints(size * scale);
}

void FontProperties::applyAttributes(glimmo::AttributeContainer& attributes) const {
    attributes.set<FontPropertiesAttribute>(*this);
}

bool FontProperties::operator==(const FontProperties& o) const {
    return family == o.family && familyVariant == o.familyVariant && capsVariant == o.capsVariant &&
           digitVariant == o.digitVariant && style == o.style && weight == o.weight &&
           widthStorage.has_value() == o.widthStorage.has_value() &&
           (!widthStorage || *widthStorage == *o.widthStorage) && size == o.size && scale == o.scale;
}

std::size_t FontProperties::hashValue() const {
    std::size_t seed = 0;
    combine(seed, static_cast<std::size_t>(family.kind));
    if (family.kind == Family::Kind::system) {
        combine(seed, static_cast<std::size_t>(family.design));
    } else {
        combine(seed, std::hash<std::string>{}(family.name));
    }
    combine(seed, static_cast<std::size_t>(familyVariant));
    combine(seed, static_cast<std::size_t>(capsVariant));
    combine(seed, static_cast<std::size_t>(digitVariant));
    combine(seed, static_cast<std::size_t>(style));
    combine(seed, static_cast<std::size_t>(weight.value));
    combine(seed, widthStorage ? 1 : 0);
    if (widthStorage) combine(seed, widthStorage->hash());
    combine(seed, hashFloat(size));
    combine(seed, hashFloat(scale));
    return seed;
}

glimmo::Font fontWithProperties(const FontProperties& properties) {
    using glimmo::Font;
    const double pointSize = properties.effectiveSize();
    Font font = properties.family.kind == FontProperties::Family::Kind::custom
                    ? Font::custom(properties.family.name, pointSize, true)
                    : Font::system(pointSize, Font::Weight::regular(), properties.family.design);
    if (properties.familyVariant == FontProperties::FamilyVariant::monospaced) font = font.monospaced();
    switch (properties.capsVariant) {
    case FontProperties::CapsVariant::normal: break;
    case FontProperties::CapsVariant::smallCaps: font = font.smallCaps(); break;
    case FontProperties::CapsVariant::lowercaseSmallCaps: font = font.lowercaseSmallCaps(); break;
    case FontProperties::CapsVariant::uppercaseSmallCaps: font = font.uppercaseSmallCaps(); break;
    }
    if (properties.digitVariant == FontProperties::DigitVariant::monospaced) font = font.monospacedDigit();
    if (properties.weight != Font::Weight::regular()) font = font.weight(properties.weight);
    // Every system this runs on knows font widths.
    if (properties.width() != Font::Width::standard()) font = font.width(properties.width());
    if (properties.style == FontProperties::Style::italic) font = font.italic();
    return font;
}

glimmo::AttributedString applyingFontProperties(const glimmo::AttributedString& text) {
    glimmo::AttributedString result = text;
    for (const auto& run : text.runs()) {
        const auto* properties = run.attributes.get<FontPropertiesAttribute>();
        if (!properties) continue;
        result.set<glimmo::FontAttribute>(fontWithProperties(*properties), run.range);
        result.remove<FontPropertiesAttribute>(run.range);
    }
    return result;
}

} // namespace ridadozi
