#include "RidadoziRI/Styles/FontProperties.h"

#include "RidadoziRI/Document/HashCombine.h"
#include "RidadoziRI/Styles/RelativeSize.h"

namespace ridadozi {

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
    detail::hashCombine(seed, static_cast<std::size_t>(family.kind));
    if (family.kind == Family::Kind::system) {
        detail::hashCombine(seed, static_cast<std::size_t>(family.design));
    } else {
        detail::hashCombine(seed, std::hash<std::string>{}(family.name));
    }
    detail::hashCombine(seed, static_cast<std::size_t>(familyVariant));
    detail::hashCombine(seed, static_cast<std::size_t>(capsVariant));
    detail::hashCombine(seed, static_cast<std::size_t>(digitVariant));
    detail::hashCombine(seed, static_cast<std::size_t>(style));
    detail::hashCombine(seed, static_cast<std::size_t>(weight.value));
    detail::hashCombine(seed, widthStorage ? 1 : 0);
    if (widthStorage) detail::hashCombine(seed, widthStorage->hash());
    detail::hashCombine(seed, detail::hashFloat(size));
    detail::hashCombine(seed, detail::hashFloat(scale));
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
