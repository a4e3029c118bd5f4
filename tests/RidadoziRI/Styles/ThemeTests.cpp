#include "tests/platform/view/ViewTestSupport.h"

#include "RidadoziRI/Styles/InlineRenderers.h"
#include "RidadoziRI/Styles/ListMarkers.h"
#include "RidadoziRI/Styles/TextStyles.h"
#include "RidadoziRI/Styles/Theme.h"
#include "RidadoziRI/Views/BlockMargin.h"
#include "RidadoziRI/Views/MarkdownModifiers.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/SymbolTable.h"

#include <gtest/gtest.h>

#include <memory>

namespace ridadozi {
namespace {

using glimmo::AnyView;
using glimmo::ColorScheme;
using glimmo::TextRunItem;
using glimmo::testing::TestHost;
using N = InlineNode;

// The inline text of a block as the inline text view draws it: the inlines rendered with the
// theme's inline styles and the attributes of the text style in effect.
AnyView inlineText(std::vector<InlineNode> inlines, const Theme& theme) {
    const InlineTextStyles styles{theme.code, theme.emphasis, theme.strong, theme.strikethrough, theme.link};
    return AnyView(TextStyleAttributesReader([inlines, styles](const glimmo::AttributeContainer& attributes) {
        return AnyView(renderedAsText(inlines, std::nullopt, styles, {}, SoftBreak::Mode::space, attributes));
    }));
}

// A block drawn by one of a theme's styles under the theme's text style, as the root view does.
class RenderedBlock {
public:
    explicit RenderedBlock(const AnyView& block, const Theme& theme, ColorScheme scheme = ColorScheme::light) {
        auto margin = margin_;
        AnyView root = textStyle(block.onPreferenceChange<BlockMarginsPreference>([margin](const BlockMargin& m) { *margin = m; }),
                                 theme.text)
                           .frame(glimmo::FlexibleFrame{.maxWidth = glimmo::infinity, .alignment = glimmo::Alignment::topLeading()});
        host_ = std::make_unique<TestHost>(root, glimmo::CGSize{600, 400});
        host_->host().setColorScheme(scheme);
        host_->host().update();
    }
    TestHost& host() { return *host_; }
    const BlockMargin& margin() const { return *margin_; }
    std::vector<TextRunItem> runs() {
        std::vector<TextRunItem> found;
        for (const auto& item : host_->host().displayList().items) {
            if (const auto* text = std::get_if<glimmo::TextItem>(&item)) found.insert(found.end(), text->runs.begin(), text->runs.end());
        }
        return found;
    }
    TextRunItem run(const std::string& text) {
        for (const auto& r : runs()) {
            if (r.text == text) return r;
        }
        ADD_FAILURE() << "no run " << text;
        return {};
    }

private:
    std::shared_ptr<BlockMargin> margin_ = std::make_shared<BlockMargin>();
    std::unique_ptr<TestHost> host_;
};

BlockConfiguration blockOf(AnyView label) { return {blockLabel(std::move(label)), MarkdownContent()}; }

AnyView box(const std::string& label, glimmo::CGFloat width = 100, glimmo::CGFloat height = 20) {
    return glimmo::Rectangle().frame(width, height).accessibilityLabel(label);
}

TEST(Theme, ThePlainThemeStylesInlinesAndDrawsBlocksAsTheirLabels) {
    const Theme theme;
    RenderedBlock paragraph(theme.paragraph.body(blockOf(inlineText(
                                {N::text("a"), N::code("c"), N::emphasis({N::text("e")}), N::strong({N::text("s")}),
                                 N::strikethrough({N::text("x")}), N::link("https://example.com", {N::text("l")})},
                                theme))),
                            theme);
    EXPECT_EQ(paragraph.run("a").font.family, glimmo::systemFontFamily);
    EXPECT_EQ(paragraph.run("a").font.pointSize, 13);
    EXPECT_EQ(paragraph.run("c").font.family, glimmo::monospacedFontFamily);
    EXPECT_EQ(paragraph.run("c").font.pointSize, 13);
    EXPECT_TRUE(paragraph.run("e").font.italic);
    EXPECT_EQ(paragraph.run("s").font.weight, 600);
    EXPECT_TRUE(paragraph.run("x").strikethroughColor.has_value());
    EXPECT_EQ(paragraph.run("l").font, paragraph.run("a").font);
    EXPECT_FALSE(paragraph.margin().top.has_value());
    EXPECT_FALSE(paragraph.margin().bottom.has_value());

    // The label exactly, nothing around it.
    RenderedBlock label(AnyView(glimmo::HStack({theme.blockquote.body(blockOf(box("label"))).accessibilityLabel("quote")})), theme);
    EXPECT_EQ(label.host().frame("quote"), label.host().frame("label"));
    EXPECT_EQ(label.host().frame("label").width(), 100);
}

TEST(Theme, ModifiersReplaceOnePropertyOfACopy) {
    const Theme base = Theme().withHeading1([](const BlockConfiguration&) { return box("one"); })
                           .withHeading3([](const BlockConfiguration&) { return box("three"); });
    const Theme changed = base.withHeading2([](const BlockConfiguration&) { return box("two"); });
    EXPECT_TRUE(RenderedBlock(changed.heading1().body(blockOf(box("label"))), changed).host().has("one"));
    EXPECT_TRUE(RenderedBlock(changed.heading3().body(blockOf(box("label"))), changed).host().has("three"));
    EXPECT_TRUE(RenderedBlock(changed.heading2().body(blockOf(box("label"))), changed).host().has("two"));
    EXPECT_TRUE(RenderedBlock(base.heading2().body(blockOf(box("label"))), base).host().has("label"));

    Theme copy = base;
    copy.heading6() = BlockStyle<BlockConfiguration>([](const BlockConfiguration&) { return box("six"); });
    EXPECT_TRUE(RenderedBlock(copy.heading6().body(blockOf(box("label"))), copy).host().has("six"));
    EXPECT_TRUE(RenderedBlock(base.heading6().body(blockOf(box("label"))), base).host().has("label"));
    EXPECT_EQ(copy.headings.size(), 6u);

    const Theme twice = Theme().withCode(FontWeight{glimmo::Font::Weight::bold()}).withCode(ForegroundColor{glimmo::Color::red()});
    glimmo::AttributeContainer attributes;
    FontProperties().applyAttributes(attributes);
    twice.code.applyAttributes(attributes);
    EXPECT_EQ(attributes.value<FontPropertiesAttribute>(), FontProperties());
    EXPECT_EQ(attributes.value<glimmo::ForegroundColorAttribute>(), glimmo::Color::red());

    const Theme marked = Theme().withNumberedListMarker(ListMarkers::upperRomanNumberMarker());
    RenderedBlock roman(marked.numberedListMarker.body({1, 4}), marked);
    EXPECT_EQ(roman.runs().at(0).text, "IV.");
}

TEST(ListMarkers, NumberedMarkersInAFrameOneAndAHalfEmWide) {
    const Theme theme;
    RenderedBlock decimal(AnyView(glimmo::HStack({theme.numberedListMarker.body({1, 3}).accessibilityLabel("marker")})), theme);
    EXPECT_EQ(decimal.runs().at(0).text, "3.");
    EXPECT_GE(decimal.host().frame("marker").width(), 20);
    EXPECT_TRUE(decimal.runs().at(0).font.monospacedDigits);

    const Theme large = Theme().withText(FontSize(17));
    RenderedBlock wide(AnyView(glimmo::HStack({large.numberedListMarker.body({1, 3}).accessibilityLabel("marker")})), large);
    EXPECT_GE(wide.host().frame("marker").width(), 26);
    EXPECT_LT(wide.host().frame("marker").width(), 27);

    RenderedBlock lower(ListMarkers::lowerRomanNumberMarker().body({1, 4}), theme);
    EXPECT_EQ(lower.runs().at(0).text, "iv.");
    RenderedBlock dash(ListMarkers::dashBulletMarker().body({1, 1}), theme);
    EXPECT_EQ(dash.runs().at(0).text, "-");
}

TEST(ListMarkers, BulletsAreAThirdOfTheFontSize) {
    const Theme theme;
    RenderedBlock bullet(theme.bulletedListMarker.body({1, 1}), theme);
    ASSERT_FALSE(bullet.runs().empty());
    EXPECT_EQ(bullet.runs().at(0).font.pointSize, 4);

    const Theme large = Theme().withText(FontSize(17));
    RenderedBlock largeBullet(large.bulletedListMarker.body({2, 1}), large);
    EXPECT_EQ(largeBullet.runs().at(0).font.pointSize, 6);
}

TEST(ListMarkers, BulletsChangeWithTheNestingLevel) {
    const Theme theme;
    const std::pair<int, const char*> levels[] = {{1, "circle.fill"}, {2, "circle"}, {3, "square.fill"}, {7, "square.fill"}, {0, "circle.fill"}};
    for (const auto& [level, symbol] : levels) {
        RenderedBlock bullet(theme.bulletedListMarker.body({level, 1}), theme);
        ASSERT_EQ(bullet.runs().size(), 1u) << level;
        EXPECT_EQ(bullet.runs()[0].text, glimmo::symbolGlyph(symbol)) << level;
    }
    RenderedBlock done(theme.taskListMarker.body({true}), theme);
    RenderedBlock open(theme.taskListMarker.body({false}), theme);
    EXPECT_EQ(done.runs().at(0).text, glimmo::symbolGlyph("checkmark.square.fill"));
    EXPECT_EQ(open.runs().at(0).text, glimmo::symbolGlyph("square"));
}

TEST(StandardTheme, HeadingsParagraphsAndBreaksReportTheirMargins) {
    const Theme theme = Theme::standard();
    const double sizes[] = {26, 20, 15, 13, 11, 9};
    for (int level = 0; level < 6; ++level) {
        RenderedBlock heading(theme.headings[level].body(blockOf(inlineText({N::text("Title"), N::code("c")}, theme))), theme);
        EXPECT_EQ(heading.run("Title").font.pointSize, sizes[level]) << level;
        EXPECT_EQ(heading.run("Title").font.weight, 600);
        EXPECT_EQ(heading.margin().top, 20);
        EXPECT_EQ(heading.margin().bottom, 13);
        if (level == 0) EXPECT_EQ(heading.run("c").font.pointSize, 24);
    }

    RenderedBlock paragraph(theme.paragraph.body(blockOf(inlineText({N::text("p"), N::code("c")}, theme))), theme);
    EXPECT_EQ(paragraph.margin().top, 0);
    EXPECT_EQ(paragraph.margin().bottom, 13);
    EXPECT_EQ(paragraph.run("c").font.pointSize, 12);
    EXPECT_EQ(paragraph.run("c").font.family, glimmo::monospacedFontFamily);

    RenderedBlock rule(theme.thematicBreak.body({}), theme);
    EXPECT_EQ(rule.margin().top, 26);
    EXPECT_EQ(rule.margin().bottom, 26);

    RenderedBlock table(theme.table.body(blockOf(box("table"))), theme);
    EXPECT_EQ(table.margin().top, 0);
    EXPECT_EQ(table.margin().bottom, 13);
}

TEST(StandardTheme, QuotesAreItalicAndInsetCellsPaddedAndHeadersSemibold) {
    const Theme theme = Theme::standard();
    RenderedBlock quote(AnyView(glimmo::HStack({theme.blockquote.body(blockOf(AnyView(glimmo::VStack(
                                                    {box("label", 100, 20), inlineText({N::text("q")}, theme)}))))}))
                            .frame(300, std::nullopt, glimmo::Alignment::leading()),
                        theme);
    EXPECT_TRUE(quote.run("q").font.italic);
    const auto labelFrame = quote.host().frame("label");
    EXPECT_EQ(labelFrame.minX(), 26);
    EXPECT_FALSE(quote.margin().top.has_value());

    const auto cell = [&](int row) {
        return theme.tableCell.body({row, 1, blockLabel(inlineText({N::text("cell")}, theme)), MarkdownContent()});
    };
    RenderedBlock header(AnyView(glimmo::HStack({cell(0).accessibilityLabel("cell")})), theme);
    RenderedBlock body(AnyView(glimmo::HStack({cell(2).accessibilityLabel("cell")})), theme);
    EXPECT_EQ(header.run("cell").font.weight, 600);
    EXPECT_EQ(body.run("cell").font.weight, 400);
    // 4 characters of 6.5 points plus 9 on each side, one line of 13 plus 5 above and below.
    EXPECT_EQ(body.host().frame("cell").width(), 26 + 18);
    EXPECT_EQ(body.host().frame("cell").height(), 13 + 10);

    RenderedBlock code(theme.codeBlock.body({"swift", "let", blockLabel(inlineText({N::text("let")}, theme))}), theme);
    EXPECT_EQ(code.run("let").font.pointSize, 12);
    EXPECT_EQ(code.run("let").font.family, glimmo::monospacedFontFamily);
    EXPECT_EQ(code.margin().top, 0);
    EXPECT_EQ(code.margin().bottom, 13);
}

TEST(CardsTheme, ColoursFollowTheAppearance) {
    const Theme theme = Theme::cards();
    const auto text = {N::text("body "), N::link("https://example.com", {N::text("link")})};
    RenderedBlock light(theme.paragraph.body(blockOf(inlineText(text, theme))), theme, ColorScheme::light);
    RenderedBlock dark(theme.paragraph.body(blockOf(inlineText(text, theme))), theme, ColorScheme::dark);
    EXPECT_EQ(light.run("body ").color.packed(), 0x1D1D1FFFu);
    EXPECT_EQ(light.run("link").color.packed(), 0x0066CCFFu);
    EXPECT_EQ(dark.run("body ").color.packed(), 0xF5F5F7FFu);
    EXPECT_EQ(dark.run("link").color.packed(), 0x2997FFFFu);
    EXPECT_EQ(light.margin().top, 10);
    EXPECT_EQ(light.margin().bottom, 0);
}

TEST(CardsTheme, HeadingsListItemsAndTaskMarkers) {
    const Theme theme = Theme::cards();
    const double sizes[] = {26, 24, 21, 18, 17, 13};
    const double tops[] = {21, 38, 34, 29, 27, 21};
    for (int level = 0; level < 6; ++level) {
        RenderedBlock heading(theme.headings[level].body(blockOf(inlineText({N::text("T"), N::code("c")}, theme))), theme);
        EXPECT_EQ(heading.run("T").font.pointSize, sizes[level]) << level;
        EXPECT_EQ(heading.run("T").font.weight, 600);
        EXPECT_EQ(heading.margin().top, tops[level]) << level;
        EXPECT_EQ(heading.margin().bottom, 0);
        if (level == 0) EXPECT_EQ(heading.run("c").font.pointSize, 26);
    }
    RenderedBlock item(theme.listItem.body(blockOf(box("item"))), theme);
    EXPECT_EQ(item.margin().top, 10);
    EXPECT_FALSE(item.margin().bottom.has_value());

    RenderedBlock done(AnyView(glimmo::HStack({theme.taskListMarker.body({true}).accessibilityLabel("m")})), theme);
    RenderedBlock open(AnyView(glimmo::HStack({theme.taskListMarker.body({false}).accessibilityLabel("m")})), theme);
    EXPECT_EQ(done.runs().at(0).text, open.runs().at(0).text);
    EXPECT_EQ(done.runs().at(0).font.pointSize, 4);
    EXPECT_GE(done.host().frame("m").width(), 20);

    RenderedBlock code(theme.codeBlock.body({std::nullopt, "x", blockLabel(inlineText({N::text("x")}, theme))}), theme);
    EXPECT_EQ(code.run("x").font.pointSize, 11);
    EXPECT_EQ(code.margin().top, 10);
    RenderedBlock rule(theme.thematicBreak.body({}), theme);
    EXPECT_EQ(rule.margin().top, 31);
    EXPECT_EQ(rule.margin().bottom, 31);
}

TEST(RuledTheme, SixteenPointBaseColoursAndMargins) {
    const Theme theme = Theme::ruled();
    const auto text = {N::text("body"), N::code("code"), N::link("https://example.com", {N::text("link")})};
    RenderedBlock light(theme.paragraph.body(blockOf(inlineText(text, theme))), theme, ColorScheme::light);
    RenderedBlock dark(theme.paragraph.body(blockOf(inlineText(text, theme))), theme, ColorScheme::dark);
    EXPECT_EQ(light.run("body").font.pointSize, 16);
    EXPECT_EQ(light.run("body").color.packed(), 0x060606FFu);
    EXPECT_EQ(light.run("body").background->packed(), 0xFFFFFFFFu);
    EXPECT_EQ(dark.run("body").color.packed(), 0xFBFBFCFFu);
    EXPECT_EQ(dark.run("body").background->packed(), 0x18191DFFu);
    EXPECT_EQ(light.run("link").color.packed(), 0x2C65CFFFu);
    EXPECT_EQ(dark.run("link").color.packed(), 0x4C8EF8FFu);
    EXPECT_EQ(light.run("code").font.pointSize, 14);
    EXPECT_EQ(light.run("code").background->packed(), 0xF7F7F9FFu);
    EXPECT_EQ(dark.run("code").background->packed(), 0x25262AFFu);
    EXPECT_EQ(light.margin().top, 0);
    EXPECT_EQ(light.margin().bottom, 16);

    const double sizes[] = {32, 24, 20, 16, 14, 14};
    for (int level = 0; level < 6; ++level) {
        RenderedBlock heading(theme.headings[level].body(blockOf(inlineText({N::text("T"), N::code("c")}, theme))), theme);
        EXPECT_EQ(heading.run("T").font.pointSize, sizes[level]) << level;
        EXPECT_EQ(heading.run("T").font.weight, 600);
        EXPECT_EQ(heading.margin().top, 24);
        EXPECT_EQ(heading.margin().bottom, 16);
        if (level == 0) EXPECT_EQ(heading.run("c").font.pointSize, 27);
        if (level == 5) EXPECT_EQ(heading.run("T").color.packed(), 0x6B6E7BFFu);
    }

    RenderedBlock item(theme.listItem.body(blockOf(box("item"))), theme);
    EXPECT_EQ(item.margin().top, 4);
    EXPECT_FALSE(item.margin().bottom.has_value());
    RenderedBlock rule(theme.thematicBreak.body({}), theme);
    EXPECT_EQ(rule.margin().top, 24);
    EXPECT_EQ(rule.margin().bottom, 24);
}

TEST(RuledTheme, AQuoteHasABarAlongItsWholeHeight) {
    const Theme theme = Theme::ruled();
    RenderedBlock quote(AnyView(glimmo::HStack({theme.blockquote.body(blockOf(AnyView(glimmo::VStack(
                                                    {box("label", 100, 50), inlineText({N::text("q")}, theme)})))).accessibilityLabel("quote")})),
                        theme);
    const auto quoteFrame = quote.host().frame("quote");
    // The bar (3.2 points at 16) and 16 points of padding before the text.
    EXPECT_EQ(quote.host().frame("label").minX() - quoteFrame.minX(), 3 + 16);
    EXPECT_EQ(quote.run("q").color.packed(), 0x6B6E7BFFu);
    bool barFound = false;
    for (const auto& item : quote.host().host().displayList().items) {
        if (const auto* fill = std::get_if<glimmo::FillItem>(&item)) {
            const auto bounds = fill->path.boundingRect();
            if (bounds.width() == 3 && std::get<glimmo::RGBA>(fill->paint).packed() == 0xE4E4E8FFu) {
                EXPECT_EQ(bounds.height(), quoteFrame.height());
                EXPECT_EQ(bounds.minX(), quoteFrame.minX());
                barFound = true;
            }
        }
    }
    EXPECT_TRUE(barFound);
    EXPECT_FALSE(quote.margin().top.has_value());
}

TEST(RuledTheme, TableCellsLoseTheTextBackgroundAndTaskMarkersKeepTheirTwoColours) {
    const Theme theme = Theme::ruled();
    const auto cell = [&](int row) {
        return AnyView(glimmo::HStack({theme.tableCell.body({row, 0, blockLabel(inlineText({N::text("cell")}, theme)), MarkdownContent()})
                                           .accessibilityLabel("cell")}));
    };
    RenderedBlock header(cell(0), theme);
    RenderedBlock body(cell(3), theme);
    EXPECT_EQ(header.run("cell").font.weight, 600);
    EXPECT_EQ(body.run("cell").font.weight, 400);
    EXPECT_FALSE(body.run("cell").background.has_value());
    // 4 characters of 8 points and 13 on each side; a line of 16 and 6 above and below.
    EXPECT_EQ(body.host().frame("cell").width(), 32 + 26);
    EXPECT_EQ(body.host().frame("cell").height(), 16 + 12);

    for (const auto scheme : {ColorScheme::light, ColorScheme::dark}) {
        RenderedBlock done(AnyView(glimmo::HStack({theme.taskListMarker.body({true}).accessibilityLabel("m")})), theme, scheme);
        // The checkmark in the checkbox colour, the box filled with the checkbox background colour.
        ASSERT_EQ(done.runs().size(), 2u);
        EXPECT_EQ(done.runs().at(0).color.packed(), 0xB9B9BBFFu);
        EXPECT_EQ(done.runs().at(1).color.packed(), 0xEEEEEFFFu);
        EXPECT_GE(done.host().frame("m").width(), 24);
        RenderedBlock open(AnyView(glimmo::HStack({theme.taskListMarker.body({false}).accessibilityLabel("m")})), theme, scheme);
        ASSERT_EQ(open.runs().size(), 1u);
        EXPECT_EQ(open.runs().at(0).color.packed(), 0xB9B9BBFFu);
    }
}

} // namespace
} // namespace ridadozi
