#include "RidadoziRI/Styles/ListMarkers.h"

#include "RidadoziRI/Styles/FontProperties.h"
#include "RidadoziRI/Styles/RelativeSize.h"
#include "RidadoziRI/Views/RomanNumerals.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"

#include "platform/foundation/AsciiCase.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <algorithm>

namespace ridadozi {

namespace {

using glimmo::AnyView;
using glimmo::Font;

// Every marker: at least 1.5 em wide, the marker at the trailing edge, so markers of one list line up.
AnyView inMarkerFrame(AnyView marker) {
    return fontRelativeFrame(std::move(marker), RelativeSize::em(1.5), glimmo::Alignment::trailing());
}

template <class Configuration, class F>
BlockStyle<Configuration> markerStyle(F makeMarker) {
    return BlockStyle<Configuration>([makeMarker](const Configuration& configuration) {
        return inMarkerFrame(AnyView(makeMarker(configuration)));
    });
}

BlockStyle<ListMarkerConfiguration> bulletStyle(const char* symbol) {
    return markerStyle<ListMarkerConfiguration>(
        [symbol](const ListMarkerConfiguration&) { return ListBullet(glimmo::Image::systemName(symbol)); });
}

// The font size of the text style around a marker (13 without a description).
glimmo::CGFloat currentFontSize(const glimmo::AttributeContainer& attributes) {
    const auto properties = attributes.get<FontPropertiesAttribute>();
    return properties ? properties->effectiveSize() : FontProperties::defaultPointSize;
}

// The kit draws symbols at the font size; the small image scale draws them at 0.8 of the text's.
constexpr glimmo::CGFloat smallImageScale = 0.8;

} // namespace

AnyView ListBullet::body() const {
    return AnyView(TextStyleAttributesReader([image = image](const glimmo::AttributeContainer& attributes) {
        const glimmo::CGFloat size = roundedPoints(currentFontSize(attributes) / 3);
        return AnyView(image).font(Font::system(size, Font::Weight::regular(), Font::Design::standard));
    }));
}

std::string ListMarkers::decimalMarkerText(int itemNumber) {
    return std::to_string(itemNumber) + ".";
}

std::string ListMarkers::upperRomanMarkerText(int itemNumber) {
    return romanNumerals(itemNumber) + ".";
}

std::string ListMarkers::lowerRomanMarkerText(int itemNumber) {
    return glimmo::asciiLowercased(romanNumerals(itemNumber)) + ".";
}

std::string ListMarkers::bulletSymbolName(int listLevel) {
    static const char* const symbols[] = {"circle.fill", "circle", "square.fill"};
    // Lists are counted from level 1; nothing shallower reaches a marker, but it gets the first symbol.
    const int position = std::clamp(listLevel, 1, 3);
    return symbols[position - 1];
}

std::string ListMarkers::taskSymbolName(bool isCompleted) {
    return isCompleted ? "checkmark.square.fill" : "square";
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::decimalNumberMarker() {
    static const auto style = markerStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& configuration) {
        return glimmo::Text(decimalMarkerText(configuration.itemNumber)).monospacedDigit();
    });
    return style;
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::upperRomanNumberMarker() {
    static const auto style = markerStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& configuration) {
        return glimmo::Text::verbatim(upperRomanMarkerText(configuration.itemNumber));
    });
    return style;
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::lowerRomanNumberMarker() {
    static const auto style = markerStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& configuration) {
        return glimmo::Text::verbatim(lowerRomanMarkerText(configuration.itemNumber));
    });
    return style;
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::dashBulletMarker() {
    static const auto style = markerStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration&) { return glimmo::Text("-"); });
    return style;
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::filledCircleBulletMarker() {
    static const auto style = bulletStyle("circle.fill");
    return style;
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::hollowCircleBulletMarker() {
    static const auto style = bulletStyle("circle");
    return style;
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::filledSquareBulletMarker() {
    static const auto style = bulletStyle("square.fill");
    return style;
}

const BlockStyle<ListMarkerConfiguration>& ListMarkers::bulletMarkerByLevel() {
    static const BlockStyle<ListMarkerConfiguration> style([](const ListMarkerConfiguration& configuration) {
        const BlockStyle<ListMarkerConfiguration>* const byLevel[] = {
            &filledCircleBulletMarker(), &hollowCircleBulletMarker(), &filledSquareBulletMarker()};
        return byLevel[std::clamp(configuration.listLevel, 1, 3) - 1]->body(configuration);
    });
    return style;
}

namespace {

AnyView smallSymbol(std::string name) {
    const glimmo::Image symbol = glimmo::Image::systemName(std::move(name));
    return AnyView(TextStyleAttributesReader([symbol](const glimmo::AttributeContainer& attributes) {
        const glimmo::CGFloat size = roundedPoints(currentFontSize(attributes) * smallImageScale);
        return AnyView(symbol).font(Font::system(size, Font::Weight::regular(), Font::Design::standard));
    }));
}

} // namespace

AnyView checkboxSymbol(bool isCompleted) { return smallSymbol(ListMarkers::taskSymbolName(isCompleted)); }

AnyView checkboxSymbol(bool isCompleted, const glimmo::Color& primary, const glimmo::Color& secondary) {
    if (!isCompleted) return checkboxSymbol(false).foregroundStyle(primary); // one layer: the outline
    // The filled box's glyph leaves its checkmark cut out: laid over a box in the primary colour, the
    // cut shows the checkmark in it, and the box itself takes the secondary colour.
    return AnyView(glimmo::ZStack({smallSymbol("square.fill").foregroundStyle(primary),
                                   checkboxSymbol(true).foregroundStyle(secondary)}));
}

const BlockStyle<TaskListMarkerConfiguration>& ListMarkers::checkboxTaskMarker() {
    // No colour of its own: the symbol takes the foreground colour around it.
    static const auto style = markerStyle<TaskListMarkerConfiguration>(
        [](const TaskListMarkerConfiguration& configuration) { return checkboxSymbol(configuration.isCompleted); });
    return style;
}

} // namespace ridadozi
