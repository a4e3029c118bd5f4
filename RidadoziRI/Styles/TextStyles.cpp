#include "RidadoziRI/Styles/TextStyles.h"

namespace ridadozi {

namespace {

// Font styles change the description in place and never create one.
template <class F>
void changeFontProperties(glimmo::AttributeContainer& attributes, F&& change) {
    attributes.modify<FontPropertiesAttribute>(std::forward<F>(change));
}

} // namespace

void FontFamily::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) { p.family = family; });
}

void FontFamilyVariant::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) { p.familyVariant = familyVariant; });
}

void FontCapsVariant::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) { p.capsVariant = capsVariant; });
}

void FontDigitVariant::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) { p.digitVariant = digitVariant; });
}

void FontStyle::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) { p.style = style; });
}

void FontWeight::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) { p.weight = weight; });
}

void FontWidth::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) { p.setWidth(width); });
}

void FontSize::applyAttributes(glimmo::AttributeContainer& attributes) const {
    changeFontProperties(attributes, [&](FontProperties& p) {
        if (const auto* points = std::get_if<glimmo::CGFloat>(&size.value)) {
            p.size = *points;
            p.scale = 1;
            return;
        }
        const auto& relative = std::get<RelativeSize>(size.value);
        switch (relative.unit) {
        case RelativeSize::Unit::em: p.scale *= relative.value; break;
        case RelativeSize::Unit::rem: p.scale = relative.value; break;
        }
    });
}

void ForegroundColor::applyAttributes(glimmo::AttributeContainer& attributes) const {
    attributes.set<glimmo::ForegroundColorAttribute>(foregroundColor);
}

void BackgroundColor::applyAttributes(glimmo::AttributeContainer& attributes) const {
    attributes.set<glimmo::BackgroundColorAttribute>(backgroundColor);
}

void StrikethroughStyle::applyAttributes(glimmo::AttributeContainer& attributes) const {
    attributes.set<glimmo::StrikethroughStyleAttribute>(lineStyle);
}

void UnderlineStyle::applyAttributes(glimmo::AttributeContainer& attributes) const {
    attributes.set<glimmo::UnderlineStyleAttribute>(lineStyle);
}

void TextKerning::applyAttributes(glimmo::AttributeContainer& attributes) const {
    attributes.set<glimmo::KernAttribute>(kern);
}

void TextTracking::applyAttributes(glimmo::AttributeContainer& attributes) const {
    attributes.set<glimmo::TrackingAttribute>(tracking);
}

} // namespace ridadozi
