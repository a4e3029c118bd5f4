#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include "RidadoziRI/Styles/FontProperties.h"

namespace ridadozi {

TextStyleKey::Value TextStyleKey::defaultValue() { return AnyTextStyle(FontProperties{}); }

TableBorderStyleKey::Value TableBorderStyleKey::defaultValue() {
    return TableBorderStyle(TableBorderSelector::allBorders(), glimmo::Color::secondary(), glimmo::StrokeStyle{});
}

ImageProviderKey::Value ImageProviderKey::defaultValue() { return AnyImageProvider(DefaultImageProvider{}); }

InlineImageProviderKey::Value InlineImageProviderKey::defaultValue() {
    static const auto shared = std::make_shared<const DefaultInlineImageProvider>();
    return shared;
}

CodeSyntaxHighlighterKey::Value CodeSyntaxHighlighterKey::defaultValue() {
    static const auto shared = std::make_shared<const PlainTextCodeSyntaxHighlighter>();
    return shared;
}

} // namespace ridadozi
