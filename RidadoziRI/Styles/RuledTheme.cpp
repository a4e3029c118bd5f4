#include "RidadoziRI/Styles/ListMarkers.h"
#include "RidadoziRI/Styles/TableStyles.h"
#include "RidadoziRI/Styles/ThemeBuilding.h"

namespace ridadozi {

namespace {

using namespace themes;
using Colors = Theme::Ruled;

constexpr CGFloat cornerSize = 6;
constexpr CGFloat headingMarginTop = 24;
constexpr CGFloat headingMarginBottom = 16;

glimmo::RoundedRectangle roundedPanel() {
    return glimmo::RoundedRectangle(cornerSize, glimmo::Path::RoundedCornerStyle::continuous);
}

// Levels 1 and 2 carry a rule below them, in a stack with the heading's text.
auto ruledHeading(CGFloat size) {
    return [size](const BlockConfiguration& configuration) {
        AnyView title = fontRelativePadding(AnyView(configuration.label), EdgeSet::bottom(), em(0.3));
        title = fontRelativeLineSpacing(std::move(title), em(0.125));
        title = pointMargins(std::move(title), headingMarginTop, headingMarginBottom);
        title = appendTextStyle(std::move(title), TextStyleBuilder::build(semibold(), sized(em(size))));
        const AnyView rule = AnyView(glimmo::Divider()).overlay(Colors::dividerColor());
        return glimmo::VStack(glimmo::HorizontalAlignment::leading(), 0, {title, rule});
    };
}

auto plainHeading(AnyTextStyle style) {
    return [style](const BlockConfiguration& configuration) {
        AnyView title = fontRelativeLineSpacing(AnyView(configuration.label), em(0.125));
        title = pointMargins(std::move(title), headingMarginTop, headingMarginBottom);
        return appendTextStyle(std::move(title), style);
    };
}

Theme makeRuledTheme() {
    return Theme()
        .withText(TextStyleBuilder::build(ForegroundColor{Colors::textColor()}, BackgroundColor{Colors::backgroundColor()},
                                          FontSize(16)))
        .withCode(TextStyleBuilder::build(monospaced(), sized(em(0.85)), BackgroundColor{Colors::secondaryBackgroundColor()}))
        .withStrong(semibold())
        .withLink(ForegroundColor{Colors::linkColor()})
        .withHeading1(ruledHeading(2))
        .withHeading2(ruledHeading(1.5))
        .withHeading3(plainHeading(TextStyleBuilder::build(semibold(), sized(em(1.25)))))
        .withHeading4(plainHeading(semibold()))
        .withHeading5(plainHeading(TextStyleBuilder::build(semibold(), sized(em(0.875)))))
        .withHeading6(plainHeading(
            TextStyleBuilder::build(semibold(), sized(em(0.85)), ForegroundColor{Colors::tertiaryTextColor()})))
        .withParagraph([](const BlockConfiguration& configuration) {
            return pointMargins(fontRelativeLineSpacing(fixedHeight(AnyView(configuration.label)), em(0.25)), 0, 16);
        })
        .withBlockquote([](const BlockConfiguration& configuration) {
            AnyView quote = appendTextStyle(AnyView(configuration.label), ForegroundColor{Colors::secondaryTextColor()});
            quote = fontRelativePadding(std::move(quote), EdgeSet::horizontal(), em(1));
            // The bar runs the quote's full height: the kit's stacks do not stretch a shape to a fixed
            // sibling's height, so it is drawn behind the quote, in room as wide as the bar.
            quote = fontRelativePadding(std::move(quote), EdgeSet::leading(), em(0.2));
            const AnyView bar = fontRelativeFrame(roundedPanel().fill(Colors::borderColor()), em(0.2), std::nullopt,
                                                  glimmo::Alignment::center());
            return fixedHeight(quote.background(bar, glimmo::Alignment::leading()));
        })
        .withCodeBlock([](const CodeBlockConfiguration& configuration) {
            AnyView code = fontRelativeLineSpacing(fixedHeight(AnyView(configuration.label)), em(0.225));
            code = appendTextStyle(std::move(code), TextStyleBuilder::build(monospaced(), sized(em(0.85))));
            code = code.padding(16);
            AnyView panel = horizontallyScrolling(std::move(code)).background(Colors::secondaryBackgroundColor());
            return pointMargins(panel.clipShape(roundedPanel()), 0, 16);
        })
        .withListItem([](const BlockConfiguration& configuration) {
            return margins(AnyView(configuration.label), em(0.25), std::nullopt);
        })
        .withTaskListMarker([](const TaskListMarkerConfiguration& configuration) {
            const AnyView box =
                checkboxSymbol(configuration.isCompleted, Colors::checkboxColor(), Colors::checkboxBackgroundColor());
            return fontRelativeFrame(box, em(1.5), glimmo::Alignment::trailing());
        })
        .withTable([](const BlockConfiguration& configuration) {
            AnyView table = markdownTableBorderStyle(fixedHeight(AnyView(configuration.label)),
                                                     TableBorderStyle(TableBorderSelector::allBorders(), Colors::borderColor(), 1));
            table = markdownTableBackgroundStyle(
                std::move(table),
                TableBackgroundStyle::alternatingRowStyles(Colors::backgroundColor(), Colors::secondaryBackgroundColor()));
            return pointMargins(std::move(table), 0, 16);
        })
        .withTableCell([](const TableCellConfiguration& configuration) {
            // No cell text carries the document's text background.
            AnyView cell = appendTextStyle(AnyView(configuration.label),
                                           TextStyleBuilder::build(headerWeight(configuration.row), BackgroundColor{std::nullopt}));
            cell = fixedHeight(std::move(cell)).padding(EdgeSet::vertical(), 6).padding(EdgeSet::horizontal(), 13);
            return fontRelativeLineSpacing(std::move(cell), em(0.25));
        })
        .withThematicBreak([] {
            const AnyView line = fontRelativeFrame(AnyView(glimmo::Divider()), std::nullopt, em(0.25), glimmo::Alignment::center());
            return pointMargins(line.overlay(Colors::borderColor()), 24, 24);
        });
}

} // namespace

Theme Theme::ruled() {
    static const Theme theme = makeRuledTheme();
    return theme;
}

} // namespace ridadozi
