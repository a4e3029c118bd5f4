#include "ViewTestSupport.h"

#include "platform/view/AnyHashable.h"
#include "platform/view/GeometryReader.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"
#include "platform/view/TextLayout.h"

#include <gtest/gtest.h>

#include <utility>

namespace glimmo {
namespace {

using testing::TestHost;

TEST(ViewHostTest, IdealSizeAndSizeThatFitsMeasureTheRoot) {
    TestHost t(VStack(HorizontalAlignment::center(), 0, {Text("abcd"), Rectangle().frame({.maxWidth = infinity, .idealHeight = 10})}));
    EXPECT_EQ(t.host().idealSize(), (CGSize{26, 23}));
    EXPECT_EQ(t.host().sizeThatFits({300.0, std::nullopt}), (CGSize{300, 23}));
    // Measuring does not disturb the laid-out window.
    EXPECT_EQ(t.host().displayList().size, (CGSize{400, 300}));
}

TEST(ViewHostTest, ResizingLaysOutAgainAndTheRootStaysCentred) {
    TestHost t(Rectangle().frame(20, 20).accessibilityLabel("r"), {100, 100});
    EXPECT_EQ(t.frame("r").origin, (CGPoint{40, 40}));
    t.host().setSize({200, 60});
    t.host().update();
    EXPECT_EQ(t.frame("r").origin, (CGPoint{90, 20}));
}

TEST(ViewHostTest, AccessibilityLabelsAreKeptOnTheTree) {
    TestHost t(HStack(VerticalAlignment::center(), 0, {Rectangle().frame(10, 10).accessibilityLabel("first"), Text("x").accessibilityLabel("second")}),
               {100, 100});
    const auto elements = t.host().accessibilityElements();
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].label, "first");
    EXPECT_EQ(elements[0].frame, CGRect(41.75, 45, 10, 10));
    EXPECT_EQ(elements[1].label, "second");
}

TEST(AnyHashableTest, EqualityNeedsTheSameTypeAndValue) {
    EXPECT_EQ(AnyHashable("a"), AnyHashable(std::string("a")));
    EXPECT_FALSE(AnyHashable(1) == AnyHashable(1L)) << "an int and a long are different ids";
    EXPECT_FALSE(AnyHashable(1) == AnyHashable());
    EXPECT_EQ(AnyHashable(), AnyHashable());
    EXPECT_EQ(AnyHashable(7).hash(), std::hash<int>{}(7));
    EXPECT_EQ(*AnyHashable(std::string("x")).get<std::string>(), "x");
    EXPECT_EQ(AnyHashable(3).get<std::string>(), nullptr);
}

TEST(HoverTest, NestedHoverAreasBothSeeThePointer) {
    std::vector<std::string> log;
    TestHost t(ZStack({
        Rectangle().frame(100, 100).onHover([&](bool in) { log.push_back(std::string("outer ") + (in ? "in" : "out")); }),
        Rectangle().frame(20, 20).onHover([&](bool in) { log.push_back(std::string("inner ") + (in ? "in" : "out")); }).accessibilityLabel("inner"),
    }), {100, 100});
    const CGRect inner = t.frame("inner");
    t.moveTo({5, 5});
    t.moveTo({inner.midX(), inner.midY()});
    t.moveTo({5, 5});
    EXPECT_EQ(log, (std::vector<std::string>{"outer in", "inner in", "inner out"}));
}

// A page holding a block wider than itself, as a journal holds a wide code block.
TEST(ScrollViewTest, AVerticalWheelOverASidewaysBlockScrollsThePageWhileShiftOrAHorizontalWheelScrollsTheBlock) {
    const auto box = [](CGFloat width, CGFloat height, const char* label) {
        return AnyView(Rectangle().frame(width, height).accessibilityLabel(label));
    };
    const AnyView block = ScrollView(AxisSet::horizontal(), false, AnyView(HStack(VerticalAlignment::center(), 0, {
                              box(80, 20, "a"), box(80, 20, "b"),
                          }))).frame(100, 20);
    TestHost t(ScrollView(AnyView(VStack(HorizontalAlignment::center(), 0, {box(100, 40, "above"), block, box(100, 200, "below")})))
                   .frame(100, 100),
               {100, 100});
    const CGPoint start = t.frame("a").origin;
    // Turns the wheel over the block; returns how far the block's content has moved from where it started.
    using Moved = std::pair<CGFloat, CGFloat>;
    const auto turn = [&](CGFloat deltaX, CGFloat deltaY, EventModifiers modifiers = {}) {
        EXPECT_TRUE(t.host().handleWheel({{50, t.frame("a").midY()}, deltaX, deltaY, modifiers})) << "the wheel was taken";
        t.host().update();
        return Moved{t.frame("a").minX() - start.x, t.frame("a").minY() - start.y};
    };
    EXPECT_EQ(turn(0, -30), Moved(0, -30)) << "the page scrolled, the block did not";
    EXPECT_EQ(turn(0, -15, EventModifiers::shift()), Moved(-15, -30)) << "Shift turns the wheel sideways";
    EXPECT_EQ(turn(-10, 0), Moved(-25, -30));
    EXPECT_EQ(turn(5, -10), Moved(-20, -40)) << "a diagonal swipe moves each along its axis";
    EXPECT_EQ(t.frame("b").maxX() - t.frame("a").minX(), 160) << "content is not squeezed into the view";
}

TEST(GeometryReaderTest, LocalFramesStartAtZero) {
    auto local = std::make_shared<CGRect>();
    TestHost t(GeometryReader([local](const GeometryProxy& p) {
                   *local = p.frame(CoordinateSpace::local());
                   return AnyView(EmptyView());
               }).frame(30, 40),
               {100, 100});
    EXPECT_EQ(*local, CGRect(0, 0, 30, 40));
}

struct Identified {
    std::string id;
    int value;
};

TEST(ForEachTest, IdentifiableElementsUseTheirIdAndStacksSeeEachElement) {
    const std::vector<Identified> items{{"a", 1}, {"b", 2}, {"c", 3}};
    TestHost t(HStack(VerticalAlignment::center(), 2, {
                   ForEach(items, [](const Identified& i) { return Rectangle().frame(10.0 * i.value, 10).accessibilityLabel(i.id); }),
               }).accessibilityLabel("row"),
               {200, 100});
    EXPECT_EQ(t.frame("row").width(), 10 + 20 + 30 + 2 * 2);
    EXPECT_EQ(t.frame("b").minX() - t.frame("a").maxX(), 2);
}

TEST(AttributedStringTest, AttributesReplaceOrMergeOverRanges) {
    AttributedString s("one two three");
    AttributeContainer bold;
    bold.set<FontAttribute>(Font::body().bold());
    AttributeContainer red;
    red.set<ForegroundColorAttribute>(Color::red());
    s.mergeAttributes(red);
    s.mergeAttributes(bold, s.range("two"));
    ASSERT_EQ(s.runs().size(), 3u);
    EXPECT_TRUE(s.runs()[1].attributes.contains<ForegroundColorAttribute>()) << "merging keeps what was there";
    s.setAttributes(bold, s.range("three"));
    EXPECT_FALSE(s.runs().back().attributes.contains<ForegroundColorAttribute>()) << "setting replaces everything";
    EXPECT_FALSE(s.range("four").has_value());
    AttributedString copy = s;
    EXPECT_EQ(copy, s);
    copy.set<KernAttribute>(1.0, copy.range("one"));
    EXPECT_FALSE(copy == s);
}

TEST(TextLayoutTest, EmptyTextAndInlineImagesOnTheBaseline) {
    const FixedAdvanceTextMeasurer measurer;
    EXPECT_EQ(layoutText({}, {}, measurer).size, (CGSize{0, 0}));
    StyledSpan text;
    text.text = "ab";
    text.font.pointSize = 10;
    StyledSpan image;
    image.text = "\xEF\xBF\xBC";
    image.image = std::make_shared<PixelImage>();
    image.imageSize = {12, 20};
    const auto laid = layoutText({text, image}, {}, measurer);
    ASSERT_EQ(laid.lines.size(), 1u);
    EXPECT_EQ(laid.firstBaseline, 20) << "a tall image raises the line's ascent";
    EXPECT_EQ(laid.size, (CGSize{22, 22}));
    EXPECT_EQ(laid.lines[0].item.runs[1].baseline, 20);
}

TEST(ColorTest, ConstructorsRoundAndOpacityMultiplies) {
    EXPECT_EQ(Color::white(0.5).resolve(ColorScheme::light).packed(), 0x808080FFu);
    EXPECT_EQ(Color(1, 0, 0, 0.5).opacity(0.5).resolve(ColorScheme::dark).alpha, 0.25);
    EXPECT_EQ(Color::secondaryLabelColor().resolve(ColorScheme::dark).packed(), 0xFFFFFF8Cu);
    EXPECT_TRUE(Color::clear().opacity(0.3).isClear());
    EXPECT_EQ(Color::dynamic([](ColorScheme s) { return s == ColorScheme::dark ? RGBA{1, 1, 1, 1} : RGBA{0, 0, 0, 1}; })
                  .resolve(ColorScheme::dark)
                  .packed(),
              0xFFFFFFFFu);
}

TEST(PathTest, ArcsAndTransformsKeepTheirGeometry) {
    Path p;
    p.addArc({50, 50}, 10, 0, 3.14159265358979323846, false);
    const CGRect b = p.boundingRect();
    EXPECT_NEAR(b.minX(), 40, 1e-6);
    EXPECT_NEAR(b.maxX(), 60, 1e-6);
    EXPECT_GT(b.maxY(), 55) << "a half circle below the centre in y-down space";
    const Path moved = Path::rect({0, 0, 10, 10}).offsetBy(5, 5);
    EXPECT_EQ(moved.boundingRect(), CGRect(5, 5, 10, 10));
    EXPECT_TRUE(Path::capsule({0, 0, 40, 10}).contains({35, 5}));
    EXPECT_FALSE(Path::capsule({0, 0, 40, 10}).contains({0.5, 0.5}));
}

} // namespace
} // namespace glimmo
