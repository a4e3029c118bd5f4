#include "RidadoziRI/Styles/CodeSyntaxHighlighter.h"
#include "RidadoziRI/Styles/ColorSchemeImageFilter.h"
#include "RidadoziRI/Styles/Colors.h"
#include "RidadoziRI/Styles/Deprecations.h"
#include "RidadoziRI/Styles/ListMarkers.h"
#include "RidadoziRI/Styles/TableStyles.h"

#include <gtest/gtest.h>

#include <limits>

namespace ridadozi {
namespace {

using glimmo::Color;
using glimmo::ColorScheme;
using N = InlineNode;

TEST(ListMarkerTexts, NumbersRomanNumeralsAndSymbols) {
    EXPECT_EQ(ListMarkers::decimalMarkerText(12), "12.");
    EXPECT_EQ(ListMarkers::decimalMarkerText(3), "3.");
    EXPECT_EQ(ListMarkers::upperRomanMarkerText(4), "IV.");
    EXPECT_EQ(ListMarkers::lowerRomanMarkerText(4), "iv.");
    EXPECT_EQ(ListMarkers::upperRomanMarkerText(1994), "MCMXCIV.");
    EXPECT_EQ(ListMarkers::lowerRomanMarkerText(3999), "mmmcmxcix.");
    EXPECT_EQ(ListMarkers::upperRomanMarkerText(0), "0.");
    EXPECT_EQ(ListMarkers::lowerRomanMarkerText(4000), "4000.");
    EXPECT_EQ(ListMarkers::upperRomanMarkerText(-3), "-3.");

    EXPECT_EQ(ListMarkers::bulletSymbolName(1), "circle.fill");
    EXPECT_EQ(ListMarkers::bulletSymbolName(2), "circle");
    EXPECT_EQ(ListMarkers::bulletSymbolName(3), "square.fill");
    EXPECT_EQ(ListMarkers::bulletSymbolName(7), "square.fill");
    // A level below 1 never comes from the list views; it gets the outermost bullet instead of
    // reading before the table of symbols.
    EXPECT_EQ(ListMarkers::bulletSymbolName(0), "circle.fill");
    EXPECT_EQ(ListMarkers::bulletSymbolName(-5), "circle.fill");
    EXPECT_EQ(ListMarkers::taskSymbolName(true), "checkmark.square.fill");
    EXPECT_EQ(ListMarkers::taskSymbolName(false), "square");
}

TEST(TableStyles, BorderStyleOfAWidth) {
    const TableBorderStyle style(TableBorderSelector::horizontalBorders(), Color::red(), 2);
    EXPECT_EQ(style.strokeStyle.lineWidth, 2);
    EXPECT_EQ(style.strokeStyle.miterLimit, 10);
    EXPECT_EQ(style.strokeStyle.lineCap, glimmo::StrokeStyle::LineCap::butt);
    EXPECT_EQ(style.strokeStyle.lineJoin, glimmo::StrokeStyle::LineJoin::miter);
    EXPECT_TRUE(style.strokeStyle.dash.empty());
    EXPECT_EQ(style.strokeStyle.dashPhase, 0);
    EXPECT_EQ(style.color, Color::red());
}

std::optional<Color> fillAt(const TableBackgroundStyle& style, int row, int column = 0) {
    return style.background(row, column).color(std::nullopt);
}

TEST(TableStyles, ClearAndAlternatingRowBackgrounds) {
    const auto clear = TableBackgroundStyle::clear();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) EXPECT_EQ(fillAt(clear, row, column), Color::clear());
    }

    const auto alternating = TableBackgroundStyle::alternatingRowStyles(Color::red(), Color::blue());
    EXPECT_EQ(fillAt(alternating, 0), Color::red());
    EXPECT_EQ(fillAt(alternating, 1), Color::red());
    EXPECT_EQ(fillAt(alternating, 2), Color::blue());
    EXPECT_EQ(fillAt(alternating, 3, 5), Color::red());
    EXPECT_EQ(fillAt(alternating, 4), Color::blue());
    EXPECT_EQ(fillAt(alternating, -2), Color::red());

    const auto withHeader = TableBackgroundStyle::alternatingRowStyles(Color::red(), Color::blue(), Color::green());
    EXPECT_EQ(fillAt(withHeader, 0), Color::green());
    EXPECT_EQ(fillAt(withHeader, -1), Color::green());
    EXPECT_EQ(fillAt(withHeader, 1), Color::red());
    EXPECT_EQ(fillAt(withHeader, 2), Color::blue());
}

TEST(Colors, PackedConstantsAndAppearancePairs) {
    const glimmo::RGBA blue = rgbaColor(0x0066CCFF).resolve(ColorScheme::light);
    EXPECT_DOUBLE_EQ(blue.red, 0);
    EXPECT_DOUBLE_EQ(blue.green, 0.4);
    EXPECT_DOUBLE_EQ(blue.blue, 0.8);
    EXPECT_DOUBLE_EQ(blue.alpha, 1);
    EXPECT_DOUBLE_EQ(rgbaColor(0xFFFFFF00).resolve(ColorScheme::light).alpha, 0);

    int lightCalls = 0;
    const Color pair = adaptiveColor([&] { ++lightCalls; return rgbaColor(0x112233FF); }, [] { return rgbaColor(0x445566FF); });
    EXPECT_EQ(pair.resolve(ColorScheme::light).packed(), 0x112233FFu);
    EXPECT_EQ(pair.resolve(ColorScheme::dark).packed(), 0x445566FFu);
    EXPECT_EQ(pair.resolve(ColorScheme::light).packed(), 0x112233FFu);
    // Asked each time, nothing cached.
    EXPECT_EQ(lightCalls, 2);
}

std::vector<BlockNode> paragraphWith(std::vector<InlineNode> inlines) {
    return {BlockNode::paragraph(std::move(inlines))};
}

TEST(ColorSchemeImageFilter, ImagesForTheOtherSchemeOrWithoutAddressGo) {
    const auto dark = N::image("https://x.org/d.png#gh-dark-mode-only", {N::text("d")});
    const auto light = N::image("https://x.org/l.png#GH-LIGHT-MODE-ONLY", {N::text("l")});
    const auto both = N::image("https://x.org/b.png#gh-dark-mode-only-not", {});
    const auto plain = N::image("https://x.org/p.png", {});
    const auto broken = N::image("http://[broken", {});
    const auto relative = N::image("images/r.png", {});
    const auto relativeDark = N::image("logo.png#gh-Dark-Mode-Only", {});
    const auto empty = N::image("", {N::text("e")});
    const auto blocks = paragraphWith({N::text("a"), dark, light, both, plain, broken, relative, relativeDark, empty});

    EXPECT_EQ(filteringImages(blocks, ColorScheme::light), paragraphWith({N::text("a"), light, both, plain, relative}));
    EXPECT_EQ(filteringImages(blocks, ColorScheme::dark), paragraphWith({N::text("a"), dark, both, plain, relative, relativeDark}));
}

TEST(ColorSchemeImageFilter, ImagesInsideLinksQuotesAndListsAreFilteredToo) {
    const auto dark = N::image("https://x.org/d.png#gh-dark-mode-only", {});
    const std::vector<BlockNode> blocks = {
        BlockNode::blockquote({BlockNode::paragraph({N::link("https://x.org", {N::text("go"), dark})})}),
        BlockNode::heading(2, {N::emphasis({dark})}),
    };
    const std::vector<BlockNode> expected = {
        BlockNode::blockquote({BlockNode::paragraph({N::link("https://x.org", {N::text("go")})})}),
        BlockNode::heading(2, {N::emphasis({})}),
    };
    EXPECT_EQ(filteringImages(blocks, ColorScheme::light), expected);
    EXPECT_EQ(filteringImages(blocks, ColorScheme::dark), blocks);
}

TEST(PlainTextCodeSyntaxHighlighter, GivesTheCodeUnchanged) {
    const PlainTextCodeSyntaxHighlighter highlighter;
    EXPECT_EQ(highlighter.highlightedText("let x = 1\n  y", "swift").attributedString().characters(), "let x = 1\n  y");
    EXPECT_EQ(highlighter.highlightedText("a", std::nullopt).attributedString().characters(), "a");
    EXPECT_TRUE(highlighter.highlightedText("", "c").attributedString().empty());
}

TEST(DeprecatedStyle, EqualityAndHashIgnoreFontAndHeadingScales) {
    const MarkdownStyle::Measurements measurements{0.94, 1, 2, 3, 4, {}, 5};
    const MarkdownStyle a{{}, Color::red(), measurements};
    MarkdownStyle b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<MarkdownStyle>{}(a), std::hash<MarkdownStyle>{}(b));
    b.measurements.headingSpacing = 6;
    EXPECT_NE(a, b);
    b = a;
    b.foregroundColor = Color::blue();
    EXPECT_NE(a, b);

    MarkdownStyle::Measurements zero{0, 0, 0, 0, 0, {}, 0};
    MarkdownStyle::Measurements negativeZero{-0.0, 0, 0, 0, 0, {}, -0.0};
    EXPECT_EQ(zero, negativeZero);
    EXPECT_EQ(std::hash<MarkdownStyle::Measurements>{}(zero), std::hash<MarkdownStyle::Measurements>{}(negativeZero));
    MarkdownStyle::Measurements notANumber = zero;
    notANumber.codeFontScale = std::numeric_limits<double>::quiet_NaN();
    EXPECT_NE(notANumber, notANumber);
    EXPECT_EQ(MarkdownStyle::Font{}, MarkdownStyle::Font{});
    EXPECT_EQ(std::hash<MarkdownStyle::HeadingScales>{}({}), 0u);
}

} // namespace
} // namespace ridadozi
