#include "ViewTestHelpers.h"

#include "RidadoziRI/Views/BlockSequence.h"

#include "platform/view/Stacks.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::AnyView;
using glimmo::testing::TestHost;

using Margin = std::pair<std::optional<glimmo::CGFloat>, std::optional<glimmo::CGFloat>>;

// Blocks 10 points tall declaring the given margins, labelled "b0", "b1", ...
AnyView sequence(std::vector<Margin> margins) {
    std::vector<int> positions;
    for (std::size_t i = 0; i < margins.size(); ++i) positions.push_back(static_cast<int>(i));
    return BlockSequence<int>(positions, [margins](int i, const int&) {
        const Margin& m = margins[static_cast<std::size_t>(i)];
        return markdownMargin(glimmo::Rectangle().frame(50, 10).accessibilityLabel("b" + std::to_string(i)), m.first, m.second);
    });
}

glimmo::CGFloat gap(TestHost& t, int above) {
    return t.frame("b" + std::to_string(above + 1)).minY() - t.frame("b" + std::to_string(above)).maxY();
}

TEST(BlockSequenceTest, GapIsTheLargerOfTopAndPreviousBottom) {
    TestHost t(sequence({{std::nullopt, 16.0}, {8.0, std::nullopt}, {24.0, 16.0}, {24.0, std::nullopt}}));
    EXPECT_EQ(gap(t, 0), 16);
    EXPECT_EQ(gap(t, 1), 24);
    EXPECT_EQ(gap(t, 2), 24);
}

TEST(BlockSequenceTest, FirstBlockGetsNoPadding) {
    TestHost t(glimmo::VStack(glimmo::HorizontalAlignment::leading(), 0,
                              {glimmo::Rectangle().frame(5, 5).accessibilityLabel("above"), sequence({{40.0, 40.0}, {0.0, 0.0}})}));
    EXPECT_EQ(t.frame("b0").minY(), t.frame("above").maxY());
}

TEST(BlockSequenceTest, UnknownMarginsGetTheDefaultPaddingExceptInTightLists) {
    TestHost loose(sequence({{std::nullopt, std::nullopt}, {std::nullopt, std::nullopt}}));
    EXPECT_GT(gap(loose, 0), 0);

    TestHost tight(AnyView(sequence({{std::nullopt, 16.0}, {std::nullopt, std::nullopt}})).environment<TightSpacingEnabledKey>(true));
    EXPECT_EQ(gap(tight, 0), 0);
}

TEST(BlockSequenceTest, TightSpacingIgnoresThePreviousBottomAndNegativeTops) {
    TestHost t(AnyView(sequence({{0.0, 16.0}, {0.0, 16.0}, {-5.0, 0.0}, {6.0, 0.0}})).environment<TightSpacingEnabledKey>(true));
    EXPECT_EQ(gap(t, 0), 0);
    EXPECT_EQ(gap(t, 1), 0);
    EXPECT_EQ(gap(t, 2), 6);
}

TEST(BlockSequenceTest, NegativeMarginsOutsideTightListsOverlap) {
    TestHost t(sequence({{0.0, -4.0}, {-6.0, 0.0}}));
    EXPECT_EQ(gap(t, 0), -4);
}

TEST(BlockSequenceTest, EmptySequenceIsEmpty) {
    TestHost t(AnyView(sequence({})).accessibilityLabel("seq"));
    EXPECT_EQ(t.host().sizeThatFits({100.0, 100.0}).height, 0);
}

TEST(BlockSequenceTest, CentreAlignmentCentresTheBlocks) {
    TestHost t(AnyView(BlockSequence<int>(std::vector<int>{0, 1}, [](int i, const int&) {
                   return glimmo::Rectangle().frame(i == 0 ? 100 : 40, 10).accessibilityLabel("b" + std::to_string(i));
               })).multilineTextAlignment(glimmo::TextAlignment::center));
    EXPECT_EQ(t.frame("b0").midX(), t.frame("b1").midX());
}

TEST(BlockSequenceTest, QuoteReportsTheMarginsOfItsParagraphs) {
    // A quote whose own style declares nothing, holding paragraphs whose style declares bottom 16.
    AnyView doc = Markdown("first\n\n> quoted\n>\n> twice\n\nafter");
    doc = markdownBlockStyle(doc, &Theme::blockquote, [](const BlockConfiguration& c) { return AnyView(c.label).accessibilityLabel("quote"); });
    doc = markdownBlockStyle(doc, &Theme::paragraph, [](const BlockConfiguration& c) {
        return markdownMargin(AnyView(c.label), std::optional<glimmo::CGFloat>(0.0), std::optional<glimmo::CGFloat>(16.0));
    });
    TestHost t(doc);
    const auto quote = t.frame("quote");
    const auto all = t.host().sizeThatFits({400.0, std::nullopt});
    // first (text) | 16 | quote: two lines 16 apart | 16 | after
    const auto lineHeight = (all.height - 16 * 3) / 4;
    EXPECT_NEAR(quote.height(), 2 * lineHeight + 16, 0.01);
}

// The margins arrive after the blocks are made and move them; the blocks themselves stay as they were.
TEST(BlockSequenceTest, EachBlockIsEvaluatedOnceAsItsMarginsArrive) {
    const auto evaluated = std::make_shared<int>(0);
    AnyView doc = Markdown("one\n\ntwo\n\n> three\n\n- four\n- five\n\nsix");
    doc = markdownBlockStyle(doc, &Theme::paragraph, [evaluated](const BlockConfiguration& c) {
        ++*evaluated;
        return markdownMargin(AnyView(c.label), std::optional<glimmo::CGFloat>(0.0), std::optional<glimmo::CGFloat>(16.0));
    });
    const auto items = std::make_shared<int>(0);
    doc = markdownBlockStyle(doc, &Theme::listItem, [items](const BlockConfiguration& c) {
        ++*items;
        return markdownMargin(AnyView(c.label), std::optional<glimmo::CGFloat>(4.0), std::nullopt);
    });
    TestHost t(doc);
    t.host().displayList();
    EXPECT_EQ(*evaluated, 6);
    EXPECT_EQ(*items, 2);
}

} // namespace
} // namespace ridadozi
