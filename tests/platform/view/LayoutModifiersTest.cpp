#include "ViewTestSupport.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

AnyView box(CGFloat w, CGFloat h, const std::string& label) {
    return Rectangle().frame(w, h).accessibilityLabel(label);
}

TEST(FrameTest, FixedFrameProposesItsSizeAndAlignsTheChild) {
    TestHost t(Text("ab").accessibilityLabel("t").frame(100, 40, Alignment::bottomTrailing()).accessibilityLabel("f"), {200, 200});
    EXPECT_EQ(t.frame("f"), CGRect(50, 80, 100, 40));
    EXPECT_EQ(t.frame("t"), CGRect(137, 107, 13, 13));
}

TEST(FrameTest, FlexibleFramesTakeTheProposalWithinTheirBounds) {
    // maxWidth infinity fills the offer; the child keeps its own size inside, leading aligned.
    TestHost fill(Text("ab").accessibilityLabel("t").frame({.maxWidth = infinity, .alignment = Alignment::leading()}).accessibilityLabel("f"),
                  {200, 100});
    EXPECT_EQ(fill.frame("f"), CGRect(0, 43.5, 200, 13));
    EXPECT_EQ(fill.frame("t"), CGRect(0, 43.5, 13, 13));
    // minWidth grows a small child's frame; maxWidth caps a large offer.
    TestHost bounded(VStack(HorizontalAlignment::center(), 0, {
        Text("ab").frame({.minWidth = 50}).accessibilityLabel("min"),
        Rectangle().frame({.maxWidth = 120, .maxHeight = 10}).accessibilityLabel("max"),
    }), {300, 100});
    EXPECT_EQ(bounded.frame("min").width(), 50);
    EXPECT_EQ(bounded.frame("max").size, (CGSize{120, 10}));
    // Unspecified proposals use the ideal size.
    TestHost ideal(Rectangle().frame({.idealWidth = 30, .idealHeight = 20}).fixedSize().accessibilityLabel("i"), {300, 100});
    EXPECT_EQ(ideal.frame("i").size, (CGSize{30, 20}));
}

TEST(PaddingTest, DefaultAndEdgePaddingAddAroundTheContent) {
    TestHost t(HStack(VerticalAlignment::top(), 0, {
        Text("ab").accessibilityLabel("a").padding().accessibilityLabel("pa"),
        Text("ab").accessibilityLabel("b").padding(EdgeSet::leading() | EdgeSet::bottom(), 4).accessibilityLabel("pb"),
    }), {200, 100});
    EXPECT_EQ(t.frame("pa").size, (CGSize{45, 45}));
    EXPECT_EQ(t.frame("a").minX() - t.frame("pa").minX(), 16);
    EXPECT_EQ(t.frame("pb").size, (CGSize{17, 17}));
    EXPECT_EQ(t.frame("b").minX() - t.frame("pb").minX(), 4);
    EXPECT_EQ(t.frame("b").minY(), t.frame("pb").minY());
    // A negative padding pulls the next view closer, the content keeps its size.
    TestHost pulled(VStack(HorizontalAlignment::center(), 0, {
        box(20, 20, "top").padding(EdgeSet::bottom(), -10),
        box(20, 20, "next"),
    }), {200, 100});
    EXPECT_EQ(pulled.frame("top").height(), 20);
    EXPECT_EQ(pulled.frame("next").minY() - pulled.frame("top").minY(), 10);
}

TEST(FixedSizeTest, FixedSizeKeepsTheIdealSizeAlongItsAxes) {
    const std::string text = "aaaa aaaa aaaa";
    TestHost wrapped(Text(text).accessibilityLabel("t").frame(40, 100), {200, 200});
    EXPECT_EQ(wrapped.frame("t").size, (CGSize{26, 39}));
    TestHost fixed(Text(text).fixedSize(true, false).accessibilityLabel("t").frame(40, 100), {200, 200});
    EXPECT_EQ(fixed.frame("t").size, (CGSize{91, 13}));
    TestHost vertical(Text(text).fixedSize(false, true).accessibilityLabel("t").frame(40, 10), {200, 200});
    EXPECT_EQ(vertical.frame("t").size, (CGSize{26, 39})) << "vertical fixed size ignores the short height";
}

TEST(AlignmentTest, StackAlignmentsAndCustomGuides) {
    TestHost t(VStack(HorizontalAlignment::leading(), 0, {
        box(20, 10, "a"),
        box(40, 10, "b").alignmentGuide(HorizontalAlignment::leading(), [](const ViewDimensions& d) { return d.width() / 2; }),
    }), {200, 200});
    // b's guide sits at its middle (20), so a is pushed 20 to the right of b's leading edge.
    EXPECT_EQ(t.frame("a").minX() - t.frame("b").minX(), 20);
    EXPECT_EQ(t.frame("b").maxX() - t.frame("a").minX(), 20);
}

struct MidRowsID final : AlignmentID {
    CGFloat defaultValue(const ViewDimensions& d) const override { return d[VerticalAlignment::center()]; }
};
const MidRowsID midRows;

TEST(AlignmentTest, CustomAlignmentIdsLineUpAcrossNestedStacks) {
    const VerticalAlignment mid{&midRows};
    TestHost t(HStack(mid, 10, {
        VStack(HorizontalAlignment::center(), 0, {box(10, 30, "x"), box(10, 10, "target").alignmentGuide(mid, [](const ViewDimensions& d) { return d.height() / 2; })}),
        box(10, 50, "other"),
    }), {200, 200});
    EXPECT_EQ(t.frame("target").midY(), t.frame("other").midY());
}

TEST(AlignmentTest, FirstTextBaselinesAlignTextsOfDifferentSizes) {
    TestHost t(HStack(VerticalAlignment::firstTextBaseline(), 4, {
        Text("Big").font(Font::system(26)).accessibilityLabel("big"),
        Text("small").font(Font::system(10)).accessibilityLabel("small"),
        box(10, 10, "box"),
    }), {300, 200});
    // Baselines: 0.8 x size below each text's top.
    EXPECT_EQ(t.frame("big").minY() + 20.8, t.frame("small").minY() + 8);
    // A view without text has its baseline at its bottom edge.
    EXPECT_DOUBLE_EQ(t.frame("box").maxY(), t.frame("big").minY() + 20.8);
}

TEST(ZStackTest, LayersAreAlignedAndTheLargestSetsTheSize) {
    TestHost t(ZStack(Alignment::bottomTrailing(), {box(60, 40, "back"), box(20, 10, "front")}).accessibilityLabel("z"), {200, 200});
    EXPECT_EQ(t.frame("z").size, (CGSize{60, 40}));
    EXPECT_EQ(t.frame("front").maxX(), t.frame("back").maxX());
    EXPECT_EQ(t.frame("front").maxY(), t.frame("back").maxY());
}

TEST(LayerTest, BackgroundAndOverlayTakeThePrimarySize) {
    TestHost t(Text("abcd").accessibilityLabel("t")
                   .background(Rectangle().accessibilityLabel("bg"))
                   .overlay(Circle().frame(4, 4).accessibilityLabel("dot"), Alignment::topTrailing()),
               {200, 200});
    EXPECT_EQ(t.frame("bg"), t.frame("t"));
    EXPECT_EQ(t.frame("dot"), CGRect(t.frame("t").maxX() - 4, t.frame("t").minY(), 4, 4));
}

TEST(LayerTest, AColourBackgroundFillsThePrimaryBounds) {
    TestHost t(Text("ab").padding(4).background(Color::red()).accessibilityLabel("t"), {200, 200});
    const auto& items = t.host().displayList().items;
    ASSERT_FALSE(items.empty());
    const auto* fill = std::get_if<FillItem>(&items.front());
    ASSERT_NE(fill, nullptr) << "the background is drawn first";
    EXPECT_EQ(fill->path.boundingRect(), t.frame("t"));
}

TEST(LayerTest, StylesAndFramesTakeTheSpellingsOfTheViews) {
    // A style overlay in a shape is drawn after the view, over its bounds.
    TestHost t(Text("ab").padding(4).overlay(Color::red().opacity(0.5), RoundedRectangle(3)).accessibilityLabel("t"), {200, 200});
    const auto& items = t.host().displayList().items;
    ASSERT_FALSE(items.empty());
    const auto* fill = std::get_if<FillItem>(&items.back());
    ASSERT_NE(fill, nullptr) << "the overlay is drawn last";
    EXPECT_EQ(fill->path.boundingRect(), t.frame("t"));
    EXPECT_FALSE(fill->path.contains({t.frame("t").minX() + 0.3, t.frame("t").minY() + 0.3})) << "in the rounded shape";

    // One flexible frame value serves every view type.
    FlexibleFrame wide;
    wide.maxWidth = infinity;
    wide.alignment = Alignment::leading();
    TestHost framed(VStack({Text("ab").frame(wide).ignoresSafeArea().accessibilityLabel("f")}), {200, 100});
    EXPECT_EQ(framed.frame("f").width(), 200);

    // Hierarchical styles on text go through the environment.
    TestHost styled(Text("ab").foregroundStyle(HierarchicalShapeStyle::secondary), {200, 100});
    const TextItem* line = nullptr;
    for (const auto& item : styled.host().displayList().items) {
        if (const auto* text = std::get_if<TextItem>(&item)) line = text;
    }
    ASSERT_NE(line, nullptr);
    ASSERT_FALSE(line->runs.empty());
    EXPECT_EQ(line->runs.front().color, Color::secondary().resolve(ColorScheme::light));
}

TEST(OffsetTest, OffsetMovesWithoutChangingLayout) {
    TestHost t(HStack(VerticalAlignment::top(), 0, {box(10, 10, "a").offset(5, 7), box(10, 10, "b")}), {100, 100});
    EXPECT_EQ(t.frame("b").minX() - t.frame("a").minX(), 5);
    EXPECT_EQ(t.frame("a").minY() - t.frame("b").minY(), 7);
}

TEST(DividerTest, DividersSpanTheOfferAcrossTheirStack) {
    TestHost t(VStack(HorizontalAlignment::center(), 0, {box(50, 10, "a"), Divider().accessibilityLabel("h")}), {200, 100});
    EXPECT_EQ(t.frame("h").size, (CGSize{200, 1}));
    TestHost v(HStack(VerticalAlignment::center(), 0, {box(10, 30, "a"), Divider().accessibilityLabel("v")}), {200, 100});
    EXPECT_EQ(v.frame("v").size, (CGSize{1, 100}));
}

TEST(SpacerTest, MinimumLengthIsKeptWhenSpaceRunsOut) {
    TestHost t(HStack(VerticalAlignment::center(), 0, {box(90, 10, "a"), Spacer(20).accessibilityLabel("s"), box(10, 10, "b")}).frame(100, 20),
               {100, 20});
    EXPECT_EQ(t.frame("s").width(), 20);
    EXPECT_EQ(t.frame("a").width(), 90) << "a fixed frame does not shrink";
}

} // namespace
} // namespace glimmo
