#include "RidadoziRI/Styles/ThemeBuilding.h"

namespace ridadozi {

namespace {

using namespace themes;

Theme makeStandardTheme() {
    // The headings' em sizes for levels 1 to 6.
    static constexpr CGFloat headingSizes[] = {2, 1.5, 1.17, 1, 0.83, 0.67};
    const auto heading = [](CGFloat size) {
        return [size](const BlockConfiguration& configuration) {
            return appendTextStyle(margins(AnyView(configuration.label), rem(1.5), rem(1)),
                                   TextStyleBuilder::build(semibold(), sized(em(size))));
        };
    };
    return Theme()
        .withCode(TextStyleBuilder::build(monospaced(), sized(em(0.94))))
        .withHeading1(heading(headingSizes[0]))
        .withHeading2(heading(headingSizes[1]))
        .withHeading3(heading(headingSizes[2]))
        .withHeading4(heading(headingSizes[3]))
        .withHeading5(heading(headingSizes[4]))
        .withHeading6(heading(headingSizes[5]))
        .withParagraph([](const BlockConfiguration& configuration) {
            return margins(fontRelativeLineSpacing(fixedHeight(AnyView(configuration.label)), em(0.15)), RelativeSize::zero(), em(1));
        })
        .withBlockquote([](const BlockConfiguration& configuration) {
            const AnyView italic = appendTextStyle(AnyView(configuration.label), FontStyle{FontProperties::Style::italic});
            return fontRelativePadding(fontRelativePadding(italic, EdgeSet::leading(), em(2)), EdgeSet::trailing(), em(1));
        })
        .withCodeBlock([](const CodeBlockConfiguration& configuration) {
            AnyView code = fontRelativeLineSpacing(fixedHeight(AnyView(configuration.label)), em(0.15));
            code = fontRelativePadding(std::move(code), EdgeSet::leading(), rem(1));
            code = appendTextStyle(std::move(code), TextStyleBuilder::build(monospaced(), sized(em(0.94))));
            return margins(horizontallyScrolling(std::move(code)), RelativeSize::zero(), em(1));
        })
        .withTable([](const BlockConfiguration& configuration) {
            // Borders and cell backgrounds stay at the environment's defaults.
            return margins(fixedHeight(AnyView(configuration.label)), RelativeSize::zero(), em(1));
        })
        .withTableCell([](const TableCellConfiguration& configuration) {
            AnyView cell = appendTextStyle(AnyView(configuration.label), headerWeight(configuration.row));
            cell = fontRelativeLineSpacing(fixedHeight(std::move(cell)), em(0.15));
            cell = fontRelativePadding(std::move(cell), EdgeSet::horizontal(), em(0.72));
            return fontRelativePadding(std::move(cell), EdgeSet::vertical(), em(0.35));
        })
        .withThematicBreak([] { return margins(glimmo::Divider(), em(2), em(2)); });
}

} // namespace

Theme Theme::standard() {
    static const Theme theme = makeStandardTheme();
    return theme;
}

} // namespace ridadozi
