#include "RidadoziRI/Styles/FontProperties.h"
#include "RidadoziRI/Styles/InlineRenderers.h"
#include "RidadoziRI/Styles/TextStyles.h"
#include "RidadoziRI/Styles/Theme.h"

#include "platform/view/PixelImage.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::AttributeContainer;
using glimmo::AttributedString;
using glimmo::Font;
using N = InlineNode;

InlineTextStyles themeStyles(const Theme& theme = Theme()) {
    return {theme.code, theme.emphasis, theme.strong, theme.strikethrough, theme.link};
}

AttributeContainer bodyAttributes() {
    AttributeContainer attributes;
    FontProperties().applyAttributes(attributes);
    return attributes;
}

AttributedString render(const std::vector<InlineNode>& inlines, SoftBreak::Mode mode = SoftBreak::Mode::space,
                        std::map<std::string, glimmo::Image> images = {},
                        std::optional<glimmo::URL> baseURL = std::nullopt, const Theme& theme = Theme()) {
    return renderedAsText(inlines, baseURL, themeStyles(theme), images, mode, bodyAttributes()).attributedString();
}

// The run that holds `piece` of the rendered text.
const AttributedString::Run& runOf(const AttributedString& text, std::string_view piece) {
    const auto range = text.range(piece);
    EXPECT_TRUE(range.has_value()) << piece;
    for (const auto& run : text.runs()) {
        if (range && run.range.lower <= range->lower && range->lower < run.range.upper) return run;
    }
    static const AttributedString::Run none;
    return none;
}

FontProperties propertiesWith(auto change) {
    FontProperties p;
    change(p);
    return p;
}

TEST(InlineRenderer, AnEmptyRunGivesTheEmptyText) {
    EXPECT_TRUE(render({}).empty());
}

TEST(InlineRenderer, StyledNodesCarryTheirStylesResolvedIntoFonts) {
    const auto text = render({N::text("a "), N::code("x = 1"), N::text(" "), N::emphasis({N::text("em")}),
                              N::strong({N::text("st")}), N::strikethrough({N::text("gone")})});
    EXPECT_EQ(text.characters(), "a x = 1 emstgone");
    for (const auto& run : text.runs()) EXPECT_FALSE(run.attributes.contains<FontPropertiesAttribute>());

    EXPECT_EQ(runOf(text, "a ").attributes.value<glimmo::FontAttribute>(), fontWithProperties(FontProperties()));
    EXPECT_EQ(runOf(text, "x = 1").attributes.value<glimmo::FontAttribute>(),
              fontWithProperties(propertiesWith([](FontProperties& p) { p.familyVariant = FontProperties::FamilyVariant::monospaced; })));
    EXPECT_EQ(runOf(text, "em").attributes.value<glimmo::FontAttribute>(),
              fontWithProperties(propertiesWith([](FontProperties& p) { p.style = FontProperties::Style::italic; })));
    EXPECT_EQ(runOf(text, "st").attributes.value<glimmo::FontAttribute>(),
              fontWithProperties(propertiesWith([](FontProperties& p) { p.weight = Font::Weight::semibold(); })));
    EXPECT_EQ(runOf(text, "gone").attributes.value<glimmo::StrikethroughStyleAttribute>(), glimmo::LineStyle::single());
    EXPECT_FALSE(runOf(text, "st").attributes.contains<glimmo::StrikethroughStyleAttribute>());
}

TEST(InlineRenderer, NestedStylesBuildOnEachOtherAndEndWithTheirNode) {
    const auto text = render({N::strong({N::text("bold "), N::emphasis({N::text("both")})}), N::text(" plain")});
    EXPECT_EQ(runOf(text, "both").attributes.value<glimmo::FontAttribute>(), fontWithProperties(propertiesWith([](FontProperties& p) {
                  p.weight = Font::Weight::semibold();
                  p.style = FontProperties::Style::italic;
              })));
    EXPECT_EQ(runOf(text, " plain").attributes.value<glimmo::FontAttribute>(), fontWithProperties(FontProperties()));
}

TEST(InlineRenderer, CodeInsideALargeHeadingFollowsTheHeadingSize) {
    AttributeContainer heading = bodyAttributes();
    TextStyleBuilder::build(FontWeight{Font::Weight::semibold()}, FontSize(RelativeSize::em(2))).applyAttributes(heading);
    const auto text = renderedAsText({N::code("c")}, std::nullopt, themeStyles(Theme::standard()), {}, SoftBreak::Mode::space, heading)
                          .attributedString();
    // 13 × 2 × 0.94 = 24.44.
    EXPECT_EQ(runOf(text, "c").attributes.value<glimmo::FontAttribute>()->resolve().pointSize, 24);
}

TEST(InlineRenderer, LinksResolveAgainstTheBaseAndKeepTheirStyle) {
    Theme theme = Theme().withLink(ForegroundColor{glimmo::Color::blue()});
    const auto base = glimmo::URL::parse("https://example.com/docs/");
    const auto text = render({N::link("page.html", {N::text("here")}), N::text(" after"), N::link("http://[broken", {N::text("bad")})},
                             SoftBreak::Mode::space, {}, base, theme);
    EXPECT_EQ(runOf(text, "here").attributes.value<glimmo::LinkAttribute>(), glimmo::URL::parse("https://example.com/docs/page.html"));
    EXPECT_EQ(runOf(text, "here").attributes.value<glimmo::ForegroundColorAttribute>(), glimmo::Color::blue());
    EXPECT_FALSE(runOf(text, " after").attributes.contains<glimmo::LinkAttribute>());
    EXPECT_FALSE(runOf(text, " after").attributes.contains<glimmo::ForegroundColorAttribute>());
    // No address, but the link's look.
    EXPECT_FALSE(runOf(text, "bad").attributes.contains<glimmo::LinkAttribute>());
    EXPECT_EQ(runOf(text, "bad").attributes.value<glimmo::ForegroundColorAttribute>(), glimmo::Color::blue());
}

// Without a base the address stays as written; whoever opens it decides.
TEST(InlineRenderer, RelativeLinksWithoutABaseKeepTheirAddress) {
    const auto text = render({N::link("/docs/page", {N::text("a")}), N::link("page.html", {N::text("b")}),
                              N::link("#frag", {N::text("c")}), N::link("https://x.org/p", {N::text("d")})},
                             SoftBreak::Mode::space, {}, std::nullopt, Theme());
    const std::vector<std::pair<std::string, std::string>> expected{
        {"a", "/docs/page"}, {"b", "page.html"}, {"c", "#frag"}, {"d", "https://x.org/p"}};
    for (const auto& [run, address] : expected) {
        const auto link = runOf(text, run).attributes.value<glimmo::LinkAttribute>();
        ASSERT_TRUE(link.has_value()) << run;
        EXPECT_EQ(link->absoluteString(), address);
    }
    EXPECT_EQ(runOf(text, "c").attributes.value<glimmo::LinkAttribute>()->scheme(), "");
}

TEST(InlineRenderer, SoftBreaksAsSpacesOrLineBreaks) {
    const std::vector<InlineNode> inlines = {N::text("one"), N::softBreak(), N::text("  two"), N::lineBreak(), N::text("three")};
    EXPECT_EQ(render(inlines).characters(), "one   two\nthree");
    EXPECT_EQ(render(inlines, SoftBreak::Mode::lineBreak).characters(), "one\ntwo\nthree");
}

TEST(InlineRenderer, ALineBreakTagSwallowsTheWhiteSpaceAfterIt) {
    EXPECT_EQ(render({N::text("a"), N::html("<br>"), N::softBreak(), N::text("b")}).characters(), "a\nb");
    EXPECT_EQ(render({N::text("a"), N::html("<BR/>"), N::text("  b")}).characters(), "a\nb");
    EXPECT_EQ(render({N::text("a"), N::html("<br class=\"x\">"), N::text(" \n\t")}).characters(), "a\n");
    // The flag is spent on the first text after the tag.
    EXPECT_EQ(render({N::html("</br>"), N::text(" "), N::text(" b")}).characters(), "\n b");
    // A code span keeps its white space and leaves the flag for the next text.
    EXPECT_EQ(render({N::html("<br>"), N::code(" c"), N::text(" d")}).characters(), "\n cd");
}

TEST(InlineRenderer, OtherTagsShowAsText) {
    const auto text = render({N::strong({N::html("<span>"), N::text("x")})});
    EXPECT_EQ(text.characters(), "<span>x");
    EXPECT_EQ(runOf(text, "<span>").attributes.value<glimmo::FontAttribute>(),
              fontWithProperties(propertiesWith([](FontProperties& p) { p.weight = Font::Weight::semibold(); })));
}

TEST(InlineRenderer, ALineBreakTagInsideEmphasisAlsoSkipsTheNextWhiteSpace) {
    EXPECT_EQ(render({N::emphasis({N::text("a"), N::html("<br>"), N::text("  b")})}).characters(), "a\nb");
}

TEST(InlineRenderer, ImagesShowOnlyWhenLoadedAndAtTheTopLevel) {
    auto image = std::make_shared<glimmo::PixelImage>();
    image->width = 2;
    image->height = 2;
    image->rgba.assign(16, 255);
    const glimmo::SharedPixels pixels = image;
    const glimmo::Image loaded(pixels);
    std::map<std::string, glimmo::Image> images{{"a.png", loaded}};

    const auto shown = render({N::text("x"), N::image("a.png", {N::text("alt")}), N::text("y")}, SoftBreak::Mode::space, images);
    ASSERT_EQ(shown.runs().size(), 3u);
    EXPECT_EQ(shown.runs()[1].attributes.value<glimmo::ImageAttachmentAttribute>()->pixels, pixels);
    EXPECT_EQ(shown.characters().find("alt"), std::string::npos);

    EXPECT_EQ(render({N::text("x"), N::image("b.png", {N::text("alt")})}, SoftBreak::Mode::space, images).characters(), "x");
    EXPECT_EQ(render({N::image("a.png", {N::text("alt")})}).characters(), "");
    const auto nested = render({N::emphasis({N::image("a.png", {N::text("alt")})}), N::link("https://x.org", {N::image("a.png", {})})},
                               SoftBreak::Mode::space, images);
    EXPECT_TRUE(nested.empty());
}

TEST(InlineRenderer, TheSurroundingAttributesReachEveryPiece) {
    AttributeContainer surrounding = bodyAttributes();
    surrounding.set<glimmo::ForegroundColorAttribute>(glimmo::Color::red());
    const auto text = renderedAsText({N::text("a"), N::softBreak(), N::strong({N::text("b")})}, std::nullopt, themeStyles(), {},
                                     SoftBreak::Mode::space, surrounding)
                          .attributedString();
    for (const auto& run : text.runs()) EXPECT_EQ(run.attributes.value<glimmo::ForegroundColorAttribute>(), glimmo::Color::red());
}

} // namespace
} // namespace ridadozi
