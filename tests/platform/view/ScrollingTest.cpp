// Scrolling moves what a scroll view draws, not its content: no view is laid out or drawn again, and
// what is drawn, clicked, hovered and measured in the window follows the offset.

#include "ViewTestSupport.h"

#include "platform/runtime/ManualRunLoop.h"
#include "platform/view/Controls/List.h"
#include "platform/view/Controls/TextField.h"
#include "platform/view/GeometryReader.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"
#include "platform/view/ViewGraph.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

using testing::TestHost;

constexpr CGFloat rowHeight = 20;

// Rows of text 20 points tall in a 100 by 100 scroll view; a click or the pointer over a row says which.
AnyView scrollingRows(std::shared_ptr<std::vector<std::string>> log) {
    return ScrollView(AnyView(VStack(HorizontalAlignment::leading(), 0, {
               ForEach::range(0, 30, [log](int i) {
                   const std::string row = "row" + std::to_string(i);
                   return AnyView(HStack({Text(row), Spacer()}))
                       .frame(100, rowHeight)
                       .contentShape(Rectangle())
                       .onTapGesture([log, row] { log->push_back("tap " + row); })
                       .onHover([log, row](bool inside) {
                           if (inside) log->push_back("hover " + row);
                       })
                       .accessibilityLabel(row);
               }),
           })))
        .frame(100, 100);
}

// The wheel over `at`, moving the content up by `deltaY` points when negative.
WheelEvent wheelAt(CGPoint at, CGFloat deltaY) { return {at, 0, deltaY, {}}; }

KeyEvent key(std::string name) {
    KeyEvent e;
    e.key = std::move(name);
    return e;
}

// The wheel, a key and a drag of the indicator's thumb each move only what the scroll view draws.
TEST(ScrollingTest, AScrollDrawsNoViewAgainAndLeavesWhatDrawingEverythingDraws) {
    const std::vector<std::pair<std::string, std::function<void(TestHost&)>>> scrolls{
        {"the wheel", [](TestHost& t) { ASSERT_TRUE(t.host().handleWheel(wheelAt({50, 50}, -45))); }},
        {"Page Down", [](TestHost& t) { ASSERT_TRUE(t.host().handleKey(key("PageDown"))); }},
        {"the thumb dragged", [](TestHost& t) {
             ASSERT_TRUE(t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {95, 5})));
             t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::moved, {95, 30}));
             t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::released, {95, 30}));
         }},
    };
    for (const auto& [name, scroll] : scrolls) {
        TestHost t(scrollingRows(std::make_shared<std::vector<std::string>>()), {100, 100});
        t.clickAt({50, 50}); // the scroll view takes the keys
        const CGRect before = t.frame("row3");
        t.host().displayList();
        const ViewGraph::Work work = t.host().graph().work;
        scroll(t);
        const DisplayList scrolled = t.host().displayList();
        EXPECT_EQ(t.host().graph().work.drawnNodes, work.drawnNodes) << name;
        EXPECT_EQ(t.host().graph().work.placements, work.placements) << name;
        EXPECT_EQ(t.host().graph().work.sizes, work.sizes) << name;
        EXPECT_LT(t.frame("row3").minY(), before.minY() - 40) << name << ": where the row shows in the window";

        t.host().graph().setNeedsLayout();
        EXPECT_EQ(t.host().displayList().items, scrolled.items) << name;
    }
}

// Rows of the knob's number, 20 points tall, in a scroll view 100 tall.
struct KnobRows : View<KnobRows> {
    ObservedObject<testing::Knob> knob;
    AnyView body() const {
        return ScrollView(AnyView(VStack(HorizontalAlignment::leading(), 0, {ForEach::range(0, knob->value.get(), [](int i) {
                   return AnyView(Rectangle().frame(100, rowHeight)).accessibilityLabel("row" + std::to_string(i));
               })})))
            .frame(100, 100);
    }
};

// Content that comes to fit the view while its thumb is held leaves nothing to drag: the rows stay where
// they are.
TEST(ScrollingTest, AThumbHeldWhileTheContentComesToFitMovesNothing) {
    const auto knob = std::make_shared<testing::Knob>();
    knob->value = 30;
    TestHost t(KnobRows{{}, {knob}}, {100, 100});
    ASSERT_TRUE(t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {95, 5})));
    knob->value = 5;
    t.host().update();
    t.moveTo({95, 50});
    EXPECT_EQ(t.frame("row0").minY(), 0);
}

// A key that a focused control uses is not also a scroll: a field keeps Home (and, of several lines,
// the arrows), a list its arrows. Keys they leave go to the scroll view around them.
TEST(ScrollingTest, KeysAFocusedControlUsesDoNotScroll) {
    const auto typed = std::make_shared<std::string>("typed");
    const Binding<std::string> text([typed] { return *typed; }, [typed](std::string value) { *typed = std::move(value); });
    TestHost form(ScrollView(AnyView(VStack(HorizontalAlignment::leading(), 0, {
                      TextField("Notes", text, Axis::vertical).accessibilityLabel("field"),
                      Rectangle().frame(100, 400),
                  })))
                      .frame(100, 100),
                  {100, 100});
    form.click("field");
    const CGFloat top = form.frame("field").minY();
    form.host().handleKey(key("Home"));
    form.host().handleKey(key("Delete"));
    form.host().update();
    form.host().handleKey(key("Down"));
    EXPECT_EQ(*typed, "yped") << "Home moved the caret";
    EXPECT_EQ(form.frame("field").minY(), top) << "and neither it nor Down scrolled";
    form.host().handleKey(key("PageDown"));
    EXPECT_LT(form.frame("field").minY(), top) << "the field leaves Page Down to the scroll view";

    const auto deleted = std::make_shared<std::vector<std::size_t>>();
    std::vector<int> rows(30);
    for (int i = 0; i < 30; ++i) rows[static_cast<std::size_t>(i)] = i;
    TestHost list(List(rows, [](int i) { return i; }, [](int i) { return Text("row" + std::to_string(i)).accessibilityLabel("row" + std::to_string(i)); })
                      .onDelete([deleted](const std::vector<std::size_t>& offsets) { *deleted = offsets; })
                      .frame(100, 100),
                  {100, 100});
    list.click("row0");
    const CGFloat first = list.frame("row0").minY();
    list.host().handleKey(key("Down"));
    list.host().update();
    list.host().handleKey(key("Delete"));
    EXPECT_EQ(*deleted, (std::vector<std::size_t>{1})) << "Down moved the selection";
    EXPECT_EQ(list.frame("row0").minY(), first) << "and did not scroll the list";
}

TEST(ScrollingTest, ClicksAndThePointerReachTheViewWhereItShowsAfterAScroll) {
    const auto log = std::make_shared<std::vector<std::string>>();
    TestHost t(scrollingRows(log), {100, 100});
    t.host().handleWheel(wheelAt({50, 50}, -45));
    t.host().update();
    // 45 points down, the window's point 10 is the content's 55: the third row.
    t.clickAt({50, 10});
    t.moveTo({50, 90});
    EXPECT_EQ(*log, (std::vector<std::string>{"hover row2", "tap row2", "hover row6"}));
}

TEST(ScrollingTest, AGeometryReaderInsideReadsItsWindowFrameAsTheContentScrolls) {
    const auto global = std::make_shared<std::optional<CGRect>>();
    const auto local = std::make_shared<std::optional<CGRect>>();
    TestHost t(ScrollView(AnyView(VStack(HorizontalAlignment::center(), 0, {
                   Rectangle().frame(100, 60),
                   GeometryReader([global, local](const GeometryProxy& proxy) {
                       *global = proxy.frame(CoordinateSpace::global());
                       *local = proxy.frame(CoordinateSpace::local());
                       return AnyView(EmptyView());
                   }).frame(100, 40),
                   Rectangle().frame(100, 200),
               })))
                   .frame(100, 100),
               {100, 100});
    ASSERT_TRUE(global->has_value());
    EXPECT_EQ(global->value(), CGRect(0, 60, 100, 40));
    t.host().handleWheel(wheelAt({50, 50}, -25));
    t.host().update();
    EXPECT_EQ(global->value(), CGRect(0, 35, 100, 40));
    EXPECT_EQ(local->value(), CGRect(0, 0, 100, 40));
}

class AnimatedScrollingTest : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::setMain(loop); }
    void TearDown() override { RunLoop::setMain(nullptr); }
    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>();
};

// The vertical translation the scroll view draws its content through.
std::optional<CGFloat> drawnOffset(const DisplayList& list) {
    for (const DisplayItem& item : list.items) {
        if (const auto* push = std::get_if<PushTransform>(&item)) return -push->transform.ty;
    }
    return std::nullopt;
}

TEST_F(AnimatedScrollingTest, AnAnimatedScrollMovesOnlyTheTranslationFrameByFrame) {
    const auto proxy = std::make_shared<std::optional<ScrollViewProxy>>();
    TestHost t(ScrollViewReader([proxy](const ScrollViewProxy& reader) {
                   *proxy = reader;
                   return scrollingRows(std::make_shared<std::vector<std::string>>());
               }),
               {100, 100});
    loop->runUntilIdle();
    t.host().displayList();
    const std::size_t drawn = t.host().graph().work.drawnNodes;
    withAnimation(Animation::linear(1), [&] { (*proxy)->scrollTo(AnyHashable(10), UnitPoint::top()); });
    loop->runUntilIdle();
    EXPECT_EQ(t.frame("row10").minY(), 0) << "the offset is the final one at once";
    EXPECT_EQ(drawnOffset(t.host().displayList()), 0) << "drawing starts where the content was";
    loop->advance(0.5);
    EXPECT_NEAR(drawnOffset(t.host().displayList()).value_or(-1), 5 * rowHeight, 1);
    loop->advance(1);
    EXPECT_EQ(drawnOffset(t.host().displayList()), 10 * rowHeight);
    EXPECT_EQ(t.host().graph().work.drawnNodes, drawn) << "no view inside was drawn again";
}

} // namespace
} // namespace glimmo
