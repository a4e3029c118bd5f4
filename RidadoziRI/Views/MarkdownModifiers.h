#pragma once

// The modifiers that write the renderer's environment for a subtree, and the block margin modifier
// that block styles use to ask for space around them.

#include "RidadoziRI/Styles/RelativeSize.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include <concepts>
#include <functional>
#include <optional>

namespace ridadozi {

using glimmo::AnyView;

// The current text style C becomes the pair (C, style): the appended style wins where both set
// something.
AnyView textStyle(AnyView view, AnyTextStyle style);
inline AnyView appendTextStyle(AnyView view, AnyTextStyle style) { return textStyle(std::move(view), std::move(style)); }
// As textStyle, with the style built each time the subtree's environment is resolved.
AnyView markdownTextStyle(AnyView view, std::function<AnyTextStyle()> build);

AnyView markdownTheme(AnyView view, Theme theme);
// Replaces one text style of the theme with the built one (built once, now).
AnyView markdownTextStyle(AnyView view, AnyTextStyle Theme::*member, const std::function<AnyTextStyle()>& build);

// Replaces one block style of the theme.
template <class Configuration, class F>
    requires std::invocable<const F&, const Configuration&>
AnyView markdownBlockStyle(AnyView view, BlockStyle<Configuration> Theme::*member, F body) {
    BlockStyle<Configuration> style(std::move(body));
    return view.transformEnvironment<ThemeKey>([member, style](Theme& theme) { theme.*member = style; });
}
template <class F>
    requires std::invocable<const F&>
AnyView markdownBlockStyle(AnyView view, BlockStyle<EmptyBlockConfiguration> Theme::*member, F body) {
    auto style = BlockStyle<EmptyBlockConfiguration>::initWithoutConfiguration(std::move(body));
    return view.transformEnvironment<ThemeKey>([member, style](Theme& theme) { theme.*member = style; });
}
AnyView markdownTaskListMarker(AnyView view, BlockStyle<TaskListMarkerConfiguration> marker);
AnyView markdownBulletedListMarker(AnyView view, BlockStyle<ListMarkerConfiguration> marker);
AnyView markdownNumberedListMarker(AnyView view, BlockStyle<ListMarkerConfiguration> marker);

AnyView markdownSoftBreakMode(AnyView view, SoftBreak::Mode mode);

AnyView markdownTableBorderStyle(AnyView view, TableBorderStyle style);
AnyView markdownTableBackgroundStyle(AnyView view, TableBackgroundStyle style);
inline AnyView withTableBorderStyle(AnyView view, TableBorderStyle style) {
    return markdownTableBorderStyle(std::move(view), std::move(style));
}
inline AnyView withTableBackgroundStyle(AnyView view, TableBackgroundStyle style) {
    return markdownTableBackgroundStyle(std::move(view), std::move(style));
}

template <ImageProvider P>
AnyView markdownImageProvider(AnyView view, P provider) {
    return view.environment<ImageProviderKey>(AnyImageProvider(std::move(provider)));
}
AnyView markdownInlineImageProvider(AnyView view, std::shared_ptr<const InlineImageProvider> provider);
AnyView markdownCodeSyntaxHighlighter(AnyView view, std::shared_ptr<const CodeSyntaxHighlighter> highlighter);

// Declares the block's margins to the block sequence around it, merged with what the view's own
// subtree declared. Relative lengths are measured against the current text style's font.
AnyView markdownMargin(AnyView view, std::optional<RelativeSize> top, std::optional<RelativeSize> bottom);
AnyView markdownMargin(AnyView view, std::optional<glimmo::CGFloat> top, std::optional<glimmo::CGFloat> bottom);
inline AnyView blockMargin(AnyView view, std::optional<RelativeSize> top, std::optional<RelativeSize> bottom) {
    return markdownMargin(std::move(view), top, bottom);
}
inline AnyView blockMargin(AnyView view, std::optional<glimmo::CGFloat> top, std::optional<glimmo::CGFloat> bottom) {
    return markdownMargin(std::move(view), top, bottom);
}

} // namespace ridadozi
