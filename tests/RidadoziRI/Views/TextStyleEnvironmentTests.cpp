#include "../../platform/view/ViewTestSupport.h"

#include "RidadoziRI/Styles/TextStyles.h"
#include "RidadoziRI/Views/BlockMargin.h"
#include "RidadoziRI/Views/MarkdownModifiers.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::AttributeContainer;
using glimmo::Rectangle;
using glimmo::testing::TestHost;

// Records the attributes the reader resolved where it stands.
AnyView recorder(std::shared_ptr<AttributeContainer> seen) {
    return TextStyleAttributesReader([seen](const AttributeContainer& attributes) {
        *seen = attributes;
        return AnyView(Rectangle().frame(1, 1));
    });
}

TEST(TextStyleAttributesReaderTest, DefaultStyleIsTheSystemFontAtThirteenPoints) {
    auto seen = std::make_shared<AttributeContainer>();
    TestHost t(recorder(seen));
    const auto font = fontProperties(*seen);
    ASSERT_TRUE(font);
    EXPECT_EQ(*font, FontProperties{});
    EXPECT_EQ(font->size, 13);
    EXPECT_EQ(font->weight, glimmo::Font::Weight::regular());
}

TEST(TextStyleAttributesReaderTest, AppendedStylesPairAndTheInnerOneWins) {
    auto seen = std::make_shared<AttributeContainer>();
    AnyView inner = textStyle(recorder(seen), AnyTextStyle(FontWeight{glimmo::Font::Weight::bold()}));
    AnyView outer = markdownTextStyle(textStyle(inner, AnyTextStyle(FontSize(20.0))),
                                      [] { return AnyTextStyle(FontWeight{glimmo::Font::Weight::light()}); });
    TestHost t(outer);
    const auto font = fontProperties(*seen);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->weight, glimmo::Font::Weight::bold());
    EXPECT_EQ(font->size, 20);
}

// Counts how often it is applied.
struct CountingStyle {
    std::shared_ptr<int> applied;
    void applyAttributes(AttributeContainer&) const { ++*applied; }
};

TEST(TextStyleAttributesReaderTest, NestedReadersResolveEachEnclosingStyleOnce) {
    auto applied = std::make_shared<int>(0);
    auto seen = std::make_shared<AttributeContainer>();
    AnyView view = recorder(seen);
    for (int level = 0; level < 40; ++level) {
        view = textStyle(glimmo::VStack({recorder(seen), view}), AnyTextStyle(CountingStyle{applied}));
    }
    TestHost t(view);
    EXPECT_EQ(*applied, 40) << "a reader starts from what the enclosing reader resolved";
    EXPECT_EQ(fontProperties(*seen), FontProperties{});
}

TEST(TextStyleAttributesReaderTest, ReaderWithoutFontDescriptionMeasuresAgainstThirteenPoints) {
    EXPECT_EQ(RelativeSize::em(2).points(fontProperties(AttributeContainer())), 26);
    EXPECT_EQ(RelativeSize::rem(2).points(fontProperties(AttributeContainer())), 26);
}

TEST(RelativeModifiersTest, PaddingAndFramesFollowTheFont) {
    AnyView padded = relativePadding(Rectangle().frame(10, 10).accessibilityLabel("box"), glimmo::EdgeSet::leading(),
                                     RelativeSize::em(1));
    TestHost t(textStyle(glimmo::HStack(glimmo::VerticalAlignment::top(), 0, {Rectangle().frame(5, 5).accessibilityLabel("start"), padded}),
                         AnyTextStyle(FontSize(17.0)))
                   .frame(200, 50, glimmo::Alignment::topLeading()));
    EXPECT_EQ(t.frame("box").minX() - t.frame("start").maxX(), 17);

    TestHost framed(relativeFrame(Rectangle().accessibilityLabel("r"), RelativeSize::em(1.5), std::nullopt,
                                  glimmo::Alignment::center())
                        .frame(100, 40, glimmo::Alignment::topLeading()));
    EXPECT_EQ(framed.frame("r").width(), 20);
    EXPECT_EQ(framed.frame("r").height(), 40);

    TestHost unconstrained(relativeFrame(Rectangle().accessibilityLabel("r"), std::nullopt, std::nullopt,
                                         glimmo::Alignment::center())
                               .frame(100, 40, glimmo::Alignment::topLeading()));
    EXPECT_EQ(unconstrained.frame("r").size, (glimmo::CGSize{100, 40}));
}

TEST(MarkdownMarginTest, RelativeMarginsReachTheParentInPoints) {
    auto seen = std::make_shared<BlockMargin>();
    AnyView block = markdownMargin(AnyView(Rectangle().frame(10, 10)), std::optional<RelativeSize>(RelativeSize::em(1.5)),
                                   std::optional<RelativeSize>(RelativeSize::rem(0.25)));
    TestHost t(glimmo::VStack({block}).onPreferenceChange<BlockMarginsPreference>([seen](const BlockMargin& m) { *seen = m; }));
    EXPECT_EQ(*seen, (BlockMargin{20.0, 3.0}));
}

TEST(MarkdownMarginTest, NestedMarginsMergeSideBySide) {
    auto seen = std::make_shared<BlockMargin>();
    AnyView inner = markdownMargin(AnyView(Rectangle().frame(10, 10)), std::optional<glimmo::CGFloat>(8.0),
                                   std::optional<glimmo::CGFloat>(16.0));
    AnyView outer = markdownMargin(glimmo::VStack({inner}), std::optional<glimmo::CGFloat>(12.0), std::nullopt);
    TestHost t(glimmo::VStack({outer}).onPreferenceChange<BlockMarginsPreference>([seen](const BlockMargin& m) { *seen = m; }));
    EXPECT_EQ(*seen, (BlockMargin{12.0, 16.0}));
}

} // namespace
} // namespace ridadozi
