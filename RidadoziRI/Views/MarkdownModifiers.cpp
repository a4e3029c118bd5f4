#include "RidadoziRI/Views/MarkdownModifiers.h"

#include "RidadoziRI/Views/BlockMargin.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"
#include "platform/view/Preferences.h"

namespace ridadozi {

AnyView textStyle(AnyView view, AnyTextStyle style) {
    return view.transformEnvironment<TextStyleKey>([style](AnyTextStyle& current) {
        current = AnyTextStyle(TextStyleBuilder::makePair(current, style));
    });
}

AnyView markdownTextStyle(AnyView view, std::function<AnyTextStyle()> build) {
    return view.transformEnvironment<TextStyleKey>([build](AnyTextStyle& current) {
        current = AnyTextStyle(TextStyleBuilder::makePair(current, build()));
    });
}

AnyView markdownTheme(AnyView view, Theme theme) { return view.environment<ThemeKey>(std::move(theme)); }

AnyView markdownTextStyle(AnyView view, AnyTextStyle Theme::*member, const std::function<AnyTextStyle()>& build) {
    AnyTextStyle style = build();
    return view.transformEnvironment<ThemeKey>([member, style](Theme& theme) { theme.*member = style; });
}

AnyView markdownTaskListMarker(AnyView view, BlockStyle<TaskListMarkerConfiguration> marker) {
    return view.transformEnvironment<ThemeKey>([marker](Theme& theme) { theme.taskListMarker = marker; });
}

AnyView markdownBulletedListMarker(AnyView view, BlockStyle<ListMarkerConfiguration> marker) {
    return view.transformEnvironment<ThemeKey>([marker](Theme& theme) { theme.bulletedListMarker = marker; });
}

AnyView markdownNumberedListMarker(AnyView view, BlockStyle<ListMarkerConfiguration> marker) {
    return view.transformEnvironment<ThemeKey>([marker](Theme& theme) { theme.numberedListMarker = marker; });
}

AnyView markdownSoftBreakMode(AnyView view, SoftBreak::Mode mode) { return view.environment<SoftBreakModeKey>(mode); }

AnyView markdownTableBorderStyle(AnyView view, TableBorderStyle style) {
    return view.environment<TableBorderStyleKey>(std::move(style));
}

AnyView markdownTableBackgroundStyle(AnyView view, TableBackgroundStyle style) {
    return view.environment<TableBackgroundStyleKey>(std::move(style));
}

AnyView markdownInlineImageProvider(AnyView view, std::shared_ptr<const InlineImageProvider> provider) {
    return view.environment<InlineImageProviderKey>(std::move(provider));
}

AnyView markdownCodeSyntaxHighlighter(AnyView view, std::shared_ptr<const CodeSyntaxHighlighter> highlighter) {
    return view.environment<CodeSyntaxHighlighterKey>(std::move(highlighter));
}

AnyView markdownMargin(AnyView view, std::optional<glimmo::CGFloat> top, std::optional<glimmo::CGFloat> bottom) {
    return view.transformPreference<BlockMarginsPreference>([top, bottom](BlockMargin& margin) { margin.merge(top, bottom); });
}

AnyView markdownMargin(AnyView view, std::optional<RelativeSize> top, std::optional<RelativeSize> bottom) {
    return TextStyleAttributesReader([view, top, bottom](const glimmo::AttributeContainer& attributes) {
        const auto font = fontProperties(attributes);
        return markdownMargin(view, top ? std::optional<glimmo::CGFloat>(top->points(font)) : std::nullopt,
                              bottom ? std::optional<glimmo::CGFloat>(bottom->points(font)) : std::nullopt);
    });
}

} // namespace ridadozi
