#include "RidadoziRI/Styles/ListMarkers.h"
#include "RidadoziRI/Styles/TableStyles.h"
#include "RidadoziRI/Styles/ThemeBuilding.h"

namespace ridadozi {

namespace {

using namespace themes;
using Colors = Theme::Cards;

constexpr CGFloat panelCornerRadius = 15;

struct HeadingLook {
    std::optional<CGFloat> lineSpacing; // em
    CGFloat marginTop;                  // em
    std::optional<CGFloat> fontSize;    // em; level 6 keeps the size around it
};

auto heading(HeadingLook look) {
    return [look](const BlockConfiguration& configuration) {
        AnyView view(configuration.label);
        if (look.lineSpacing) view = fontRelativeLineSpacing(std::move(view), em(*look.lineSpacing));
        view = margins(std::move(view), em(look.marginTop), RelativeSize::zero());
        const AnyTextStyle style = look.fontSize ? AnyTextStyle(TextStyleBuilder::build(semibold(), sized(em(*look.fontSize))))
                                                 : AnyTextStyle(semibold());
        return appendTextStyle(std::move(view), style);
    };
}

Theme makeCardsTheme() {
    return Theme()
        .withText(ForegroundColor{Colors::textColor()})
        .withLink(ForegroundColor{Colors::linkColor()})
        .withHeading1(heading({std::nullopt, 0.8, 2}))
        .withHeading2(heading({0.0625, 1.6, 1.88235}))
        .withHeading3(heading({0.07143, 1.6, 1.64706}))
        .withHeading4(heading({0.083335, 1.6, 1.41176}))
        .withHeading5(heading({0.09091, 1.6, 1.29412}))
        .withHeading6(heading({0.235295, 1.6, std::nullopt}))
        .withParagraph([](const BlockConfiguration& configuration) {
            return margins(fontRelativeLineSpacing(fixedHeight(AnyView(configuration.label)), em(0.235295)), em(0.8),
                           RelativeSize::zero());
        })
        .withBlockquote([](const BlockConfiguration& configuration) {
            AnyView quote = fontRelativePadding(AnyView(configuration.label), EdgeSet::all(), rem(0.94118));
            quote = quote.frame(glimmo::FlexibleFrame{.maxWidth = glimmo::infinity, .alignment = glimmo::Alignment::leading()});
            const glimmo::RoundedRectangle panel(panelCornerRadius, glimmo::Path::RoundedCornerStyle::continuous);
            quote = quote.background(AnyView(glimmo::ZStack({panel.fill(Colors::quoteBackgroundColor()),
                                                             panel.strokeBorder(Colors::quoteBorderColor(), 1)})));
            return margins(std::move(quote), em(1.6), RelativeSize::zero());
        })
        .withCodeBlock([](const CodeBlockConfiguration& configuration) {
            AnyView code = fontRelativeLineSpacing(fixedHeight(AnyView(configuration.label)), em(0.333335));
            code = appendTextStyle(std::move(code), TextStyleBuilder::build(monospaced(), sized(rem(0.88235))));
            code = code.padding(EdgeSet::vertical(), 8).padding(EdgeSet::leading(), 14);
            AnyView panel = horizontallyScrolling(std::move(code)).background(Colors::codeBackgroundColor());
            panel = panel.clipShape(glimmo::RoundedRectangle(panelCornerRadius, glimmo::Path::RoundedCornerStyle::continuous));
            return margins(std::move(panel), em(0.8), RelativeSize::zero());
        })
        .withImage([](const BlockConfiguration& configuration) {
            AnyView image = AnyView(configuration.label)
                                .frame(glimmo::FlexibleFrame{.maxWidth = glimmo::infinity, .alignment = glimmo::Alignment::center()});
            return margins(std::move(image), em(1.6), em(1.6));
        })
        .withListItem([](const BlockConfiguration& configuration) {
            return margins(AnyView(configuration.label), em(0.8), std::nullopt);
        })
        .withTaskListMarker([](const TaskListMarkerConfiguration&) {
            // Completed or not, the same filled circle.
            return fontRelativeFrame(AnyView(ListBullet(glimmo::Image::systemName("circle.fill"))), em(1.5),
                                     glimmo::Alignment::trailing());
        })
        .withTable([](const BlockConfiguration& configuration) {
            AnyView table = markdownTableBorderStyle(
                fixedHeight(AnyView(configuration.label)),
                TableBorderStyle(TableBorderSelector::horizontalBorders(), Colors::separatorColor(), 1));
            return margins(std::move(table), em(1.6), RelativeSize::zero());
        })
        .withTableCell([](const TableCellConfiguration& configuration) {
            AnyView cell = appendTextStyle(AnyView(configuration.label), headerWeight(configuration.row));
            cell = fontRelativeLineSpacing(fixedHeight(std::move(cell)), em(0.235295));
            return fontRelativePadding(std::move(cell), EdgeSet::all(), rem(0.58824));
        })
        .withThematicBreak([] {
            return margins(AnyView(glimmo::Divider()).overlay(Colors::separatorColor()), em(2.35), em(2.35));
        });
}

} // namespace

Theme Theme::cards() {
    static const Theme theme = makeCardsTheme();
    return theme;
}

} // namespace ridadozi
