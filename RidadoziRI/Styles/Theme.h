#pragma once

// A theme: the text styles and block styles of one rendering. `Theme()` changes almost nothing; the
// built-in themes start from it and replace properties one by one. The `with...` modifiers return a
// changed copy and leave the receiver as it was.

#include "RidadoziRI/Styles/BlockStyle.h"
#include "RidadoziRI/Styles/TextStyle.h"

#include "platform/view/Color.h"

#include <concepts>
#include <cstddef>
#include <utility>
#include <vector>

namespace ridadozi {

struct Theme {
    AnyTextStyle text;
    AnyTextStyle code;
    AnyTextStyle emphasis;
    AnyTextStyle strong;
    AnyTextStyle strikethrough;
    AnyTextStyle link;
    // Always six entries: entry i styles headings of level i + 1.
    std::vector<BlockStyle<BlockConfiguration>> headings;
    BlockStyle<BlockConfiguration> paragraph;
    BlockStyle<BlockConfiguration> blockquote;
    BlockStyle<CodeBlockConfiguration> codeBlock;
    BlockStyle<BlockConfiguration> image;
    BlockStyle<BlockConfiguration> list;
    BlockStyle<BlockConfiguration> listItem;
    BlockStyle<TaskListMarkerConfiguration> taskListMarker;
    BlockStyle<ListMarkerConfiguration> bulletedListMarker;
    BlockStyle<ListMarkerConfiguration> numberedListMarker;
    BlockStyle<BlockConfiguration> table;
    BlockStyle<TableCellConfiguration> tableCell;
    BlockStyle<EmptyBlockConfiguration> thematicBreak;

    // Code in the monospaced variant, emphasis italic, strong semibold, strikethrough a single line,
    // every block drawn as its label, the default markers, and a divider for the thematic break.
    Theme();

    // The built-in themes, built once and handed out as copies.
    static Theme standard();
    static Theme cards();
    static Theme ruled();

    // The colours of the built-in themes (each follows the appearance unless said otherwise).
    struct Cards {
        static const glimmo::Color& textColor();
        static const glimmo::Color& linkColor();
        static const glimmo::Color& quoteBackgroundColor();
        static const glimmo::Color& quoteBorderColor();
        static const glimmo::Color& codeBackgroundColor();
        static const glimmo::Color& separatorColor();
    };
    struct Ruled {
        static const glimmo::Color& textColor();
        static const glimmo::Color& secondaryTextColor();
        static const glimmo::Color& tertiaryTextColor();
        static const glimmo::Color& backgroundColor();
        static const glimmo::Color& secondaryBackgroundColor();
        static const glimmo::Color& linkColor();
        static const glimmo::Color& borderColor();
        static const glimmo::Color& dividerColor();
        static const glimmo::Color& checkboxColor();           // the same in both appearances
        static const glimmo::Color& checkboxBackgroundColor(); // the same in both appearances
    };

    BlockStyle<BlockConfiguration>& heading1() { return headings[0]; }
    BlockStyle<BlockConfiguration>& heading2() { return headings[1]; }
    BlockStyle<BlockConfiguration>& heading3() { return headings[2]; }
    BlockStyle<BlockConfiguration>& heading4() { return headings[3]; }
    BlockStyle<BlockConfiguration>& heading5() { return headings[4]; }
    BlockStyle<BlockConfiguration>& heading6() { return headings[5]; }
    const BlockStyle<BlockConfiguration>& heading1() const { return headings[0]; }
    const BlockStyle<BlockConfiguration>& heading2() const { return headings[1]; }
    const BlockStyle<BlockConfiguration>& heading3() const { return headings[2]; }
    const BlockStyle<BlockConfiguration>& heading4() const { return headings[3]; }
    const BlockStyle<BlockConfiguration>& heading5() const { return headings[4]; }
    const BlockStyle<BlockConfiguration>& heading6() const { return headings[5]; }

    // Text styles are replaced wholly, not combined with the style before.
    Theme withText(AnyTextStyle style) const { return replacing(&Theme::text, std::move(style)); }
    Theme withCode(AnyTextStyle style) const { return replacing(&Theme::code, std::move(style)); }
    Theme withEmphasis(AnyTextStyle style) const { return replacing(&Theme::emphasis, std::move(style)); }
    Theme withStrong(AnyTextStyle style) const { return replacing(&Theme::strong, std::move(style)); }
    Theme withStrikethrough(AnyTextStyle style) const { return replacing(&Theme::strikethrough, std::move(style)); }
    Theme withLink(AnyTextStyle style) const { return replacing(&Theme::link, std::move(style)); }

    // Block styles from view builders over their configuration.
    template <class F> Theme withHeading1(F body) const { return withHeading(0, std::move(body)); }
    template <class F> Theme withHeading2(F body) const { return withHeading(1, std::move(body)); }
    template <class F> Theme withHeading3(F body) const { return withHeading(2, std::move(body)); }
    template <class F> Theme withHeading4(F body) const { return withHeading(3, std::move(body)); }
    template <class F> Theme withHeading5(F body) const { return withHeading(4, std::move(body)); }
    template <class F> Theme withHeading6(F body) const { return withHeading(5, std::move(body)); }
    template <class F> Theme withParagraph(F body) const { return replacingStyle(&Theme::paragraph, std::move(body)); }
    template <class F> Theme withBlockquote(F body) const { return replacingStyle(&Theme::blockquote, std::move(body)); }
    template <class F> Theme withCodeBlock(F body) const { return replacingStyle(&Theme::codeBlock, std::move(body)); }
    template <class F> Theme withImage(F body) const { return replacingStyle(&Theme::image, std::move(body)); }
    template <class F> Theme withList(F body) const { return replacingStyle(&Theme::list, std::move(body)); }
    template <class F> Theme withListItem(F body) const { return replacingStyle(&Theme::listItem, std::move(body)); }
    template <class F> Theme withTable(F body) const { return replacingStyle(&Theme::table, std::move(body)); }
    template <class F> Theme withTableCell(F body) const { return replacingStyle(&Theme::tableCell, std::move(body)); }
    // The marker modifiers take a view builder or a ready style (for example a built-in marker).
    template <class F> Theme withTaskListMarker(F body) const { return replacingStyle(&Theme::taskListMarker, std::move(body)); }
    template <class F> Theme withBulletedListMarker(F body) const { return replacingStyle(&Theme::bulletedListMarker, std::move(body)); }
    template <class F> Theme withNumberedListMarker(F body) const { return replacingStyle(&Theme::numberedListMarker, std::move(body)); }
    // The thematic break's builder takes no arguments.
    template <class F>
        requires std::invocable<const F&>
    Theme withThematicBreak(F body) const {
        return replacing(&Theme::thematicBreak, BlockStyle<EmptyBlockConfiguration>::initWithoutConfiguration(std::move(body)));
    }

    // One property replaced; the receiver is unchanged.
    template <class Member>
    Theme replacing(Member Theme::*member, Member value) const {
        Theme copy = *this;
        copy.*member = std::move(value);
        return copy;
    }

private:
    template <class C, class F>
    Theme replacingStyle(BlockStyle<C> Theme::*member, F body) const {
        if constexpr (std::same_as<std::remove_cvref_t<F>, BlockStyle<C>>) {
            return replacing(member, std::move(body));
        } else {
            return replacing(member, BlockStyle<C>(std::move(body)));
        }
    }
    template <class F>
    Theme withHeading(std::size_t index, F body) const {
        Theme copy = *this;
        copy.headings[index] = BlockStyle<BlockConfiguration>(std::move(body));
        return copy;
    }
};

} // namespace ridadozi
