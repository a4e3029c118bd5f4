#pragma once

// Shorthands the built-in themes are written with (private to the themes).

#include "RidadoziRI/Styles/RelativeSize.h"
#include "RidadoziRI/Styles/TextStyles.h"
#include "RidadoziRI/Styles/Theme.h"
#include "RidadoziRI/Views/MarkdownModifiers.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"

#include "platform/view/ScrollView.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"

#include <optional>

namespace ridadozi::themes {

using glimmo::AnyView;
using glimmo::CGFloat;
using glimmo::EdgeSet;

inline RelativeSize em(CGFloat value) { return RelativeSize::em(value); }
inline RelativeSize rem(CGFloat value) { return RelativeSize::rem(value); }

inline FontWeight semibold() { return FontWeight{glimmo::Font::Weight::semibold()}; }
inline FontFamilyVariant monospaced() { return FontFamilyVariant{FontProperties::FamilyVariant::monospaced}; }
inline FontSize sized(RelativeSize size) { return FontSize(size); }

// Margins in lengths relative to the font where the modifier stands; an absent side stays absent.
inline AnyView margins(AnyView view, std::optional<RelativeSize> top, std::optional<RelativeSize> bottom) {
    return blockMargin(std::move(view), top, bottom);
}
// Margins in points.
inline AnyView pointMargins(AnyView view, std::optional<CGFloat> top, std::optional<CGFloat> bottom) {
    return blockMargin(std::move(view), top, bottom);
}

// Horizontal size free, vertical size fixed to the ideal height.
inline AnyView fixedHeight(AnyView view) { return view.fixedSize(false, true); }

// Semibold in a table's first row (its header), nothing elsewhere.
inline AnyTextStyle headerWeight(int row) {
    return TextStyleBuilder::makeOptional(row == 0 ? std::optional(semibold()) : std::nullopt);
}

// Lines wider than the block scroll sideways instead of wrapping.
inline AnyView horizontallyScrolling(AnyView content) {
    return glimmo::ScrollView(glimmo::AxisSet::horizontal(), true, std::move(content));
}

} // namespace ridadozi::themes
