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
#include <stdexcept>
#include <string>
#include <tuple>
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

KeyEvent key(std::string name, EventModifiers modifiers = {}) { return {std::move(name), "", modifiers}; }

// Once a click has given the scroll view the keys, the wheel, the keys, a drag of the indicator's thumb
// and a click in its track each move only what it draws. 600 points of rows in a view of 100: a line of
// body text is 13 points, a page the view less a line; the thumb, at its least of 20 points, travels 80
// for 500.
TEST(ScrollingTest, AScrollDrawsNoViewAgainAndLeavesWhatDrawingEverythingDraws) {
    const auto drag = [](CGPoint from, CGPoint to) {
        return [from, to](ViewHost& host) {
            host.handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, from));
            host.handlePointer(TestHost::pointer(PointerEvent::Kind::moved, to));
            host.handlePointer(TestHost::pointer(PointerEvent::Kind::released, to));
        };
    };
    const EventModifiers ctrl = EventModifiers::command();
    const std::vector<std::tuple<std::string, std::function<void(ViewHost&)>, CGFloat>> scrolls{
        {"the wheel", [](ViewHost& h) { h.handleWheel(wheelAt({50, 50}, -45)); }, 45},
        {"Page Down, Down", [](ViewHost& h) { h.handleKey(key("PageDown")); h.handleKey(key("Down")); }, 87 + 13},
        {"End, Page Up, Up", [](ViewHost& h) { h.handleKey(key("End")); h.handleKey(key("PageUp")); h.handleKey(key("Up")); },
         500 - 87 - 13},
        {"End, Home", [](ViewHost& h) { h.handleKey(key("End")); h.handleKey(key("Home")); }, 0},
        {"Ctrl+End", [ctrl](ViewHost& h) { h.handleKey(key("End", ctrl)); }, 500},
        {"End, Ctrl+Home", [ctrl](ViewHost& h) { h.handleKey(key("End")); h.handleKey(key("Home", ctrl)); }, 0},
        {"the thumb dragged 25 points", drag({95, 5}, {95, 30}), 25.0 / 80 * 500},
        {"a click in the track below the thumb", drag({95, 90}, {95, 90}), 87},
    };
    for (const auto& [name, scroll, offset] : scrolls) {
        SCOPED_TRACE(name);
        TestHost t(scrollingRows(std::make_shared<std::vector<std::string>>()), {100, 100});
        t.clickAt({50, 50});
        t.host().displayList();
        const ViewGraph::Work work = t.host().graph().work;
        scroll(t.host());
        const DisplayList scrolled = t.host().displayList();
        EXPECT_EQ(t.host().graph().work.drawnNodes, work.drawnNodes);
        EXPECT_EQ(t.host().graph().work.placements, work.placements);
        EXPECT_EQ(t.host().graph().work.sizes, work.sizes);
        EXPECT_EQ(t.frame("row3").minY(), 3 * rowHeight - offset) << "where the row shows in the window";

        t.host().graph().setNeedsLayout();
        EXPECT_EQ(t.host().displayList().items, scrolled.items);
    }
}

// Content that comes to fit the view while its thumb is held leaves the thumb no room to travel: the
// content stays where it is.
TEST(ScrollingTest, AThumbHeldWhileTheContentComesToFitMovesNothing) {
    TestHost t(ScrollView(AnyView(Rectangle().frame(100, 600).accessibilityLabel("content"))), {100, 100});
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {95, 5}));
    t.host().setSize({100, 600});
    t.host().update();
    t.moveTo({95, 50});
    EXPECT_EQ(t.frame("content").minY(), 0);
}

// The bounds of the thumb a scroll view draws, when it is the last thing the window draws: its
// indicators come after its content's clip.
CGRect drawnThumb(ViewHost& host) {
    const DisplayList list = host.displayList();
    const auto* thumb = list.items.empty() ? nullptr : std::get_if<FillItem>(&list.items.back());
    if (!thumb) throw std::runtime_error("no thumb drawn last");
    return thumb->path.boundingRect();
}

// A press on the thumb at `from`, a move to `to` and a release there.
void dragThumb(TestHost& t, CGPoint from, CGPoint to) {
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, from));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::moved, to));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::released, to));
    t.host().update();
}

// A view shorter than the thumb's least length of 20 points gives it the whole track and no room to
// travel: scrolled 45 points of 600 by the wheel, its thumb fills the track, drawn 2 points in from each
// end (in a view of 3 points, nothing, at its middle), and a drag of one point leaves the content where
// the wheel put it and the thumb where it was.
TEST(ScrollingTest, AThumbInAViewShorterThanItsLeastLengthStaysInItsTrackAndADragMovesNothing) {
    struct Case {
        std::string name;
        Axis axis;
        CGFloat length;
        CGRect thumb;
    };
    const std::vector<Case> cases{
        {"vertical, 10 points", Axis::vertical, 10, CGRect(92, 2, 6, 6)},
        {"horizontal, 10 points", Axis::horizontal, 10, CGRect(2, 92, 6, 6)},
        {"vertical, 3 points", Axis::vertical, 3, CGRect(92, 1.5, 6, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool vertical = c.axis == Axis::vertical;
        const CGSize window = vertical ? CGSize{100, c.length} : CGSize{c.length, 100};
        const AnyView content = vertical ? Rectangle().frame(100, 600).accessibilityLabel("content")
                                         : Rectangle().frame(600, 100).accessibilityLabel("content");
        TestHost t(ScrollView(vertical ? AxisSet::vertical() : AxisSet::horizontal(), true, content).frame(window.width, window.height),
                   window);
        const auto start = [vertical](const CGRect& r) { return vertical ? r.minY() : r.minX(); };
        const CGFloat wheel = -45;
        t.host().handleWheel(WheelEvent{{window.width / 2, window.height / 2}, vertical ? 0 : wheel, vertical ? wheel : 0, {}});
        t.host().update();
        ASSERT_EQ(start(t.frame("content")), -45);
        EXPECT_EQ(drawnThumb(t.host()), c.thumb);

        // In the indicator's track, the last 10 points across the view.
        const CGPoint pressed = vertical ? CGPoint{95, c.length / 2} : CGPoint{c.length / 2, 95};
        dragThumb(t, pressed, vertical ? CGPoint{95, pressed.y + 1} : CGPoint{pressed.x + 1, 95});
        EXPECT_EQ(start(t.frame("content")), -45);
        EXPECT_EQ(drawnThumb(t.host()), c.thumb);
    }
}

// The thumb of a scroll view whose track starts 40 points into the window (below a header, beside a
// column) follows the pointer along that track. 400 points of content in a view of 100: the thumb is
// 100 * 100 / 400 = 25 long and travels 75 for a scroll of 300. Pressed 5 points into it, at 45, and
// moved 30 points, the thumb starts 30 points into its track, at 70, and the content has scrolled
// 30 / 75 * 300 = 120; the thumb is drawn 2 points in from each of its ends.
TEST(ScrollingTest, AThumbDragFollowsThePointerAlongATrackThatStartsInsideTheWindow) {
    const AnyView belowHeader = VStack(HorizontalAlignment::leading(), 0, {
        Rectangle().frame(100, 40),
        ScrollView(AnyView(Rectangle().frame(100, 400).accessibilityLabel("content"))).frame(100, 100),
    });
    const AnyView besideColumn = HStack(VerticalAlignment::top(), 0, {
        Rectangle().frame(40, 100),
        ScrollView(AxisSet::horizontal(), true, Rectangle().frame(400, 100).accessibilityLabel("content")).frame(100, 100),
    });
    {
        SCOPED_TRACE("below a header");
        TestHost t(belowHeader, {100, 140});
        dragThumb(t, {95, 45}, {95, 75});
        EXPECT_EQ(t.frame("content").minY(), 40 - 120);
        EXPECT_EQ(drawnThumb(t.host()), CGRect(92, 72, 6, 21));
    }
    {
        SCOPED_TRACE("beside a column");
        TestHost t(besideColumn, {140, 100});
        dragThumb(t, {45, 95}, {75, 95});
        EXPECT_EQ(t.frame("content").minX(), 40 - 120);
        EXPECT_EQ(drawnThumb(t.host()), CGRect(72, 92, 21, 6));
    }
}

// A key a focused control uses is not also a scroll: a field of several lines keeps the arrows and Home,
// a list (its rows in a scroll view of its own) its arrows. Keys they leave go to the scroll view.
TEST(ScrollingTest, KeysAFocusedControlUsesDoNotScroll) {
    TestHost form(ScrollView(AnyView(VStack(HorizontalAlignment::leading(), 0, {
                      TextField("Notes", Binding<std::string>::constant("typed"), Axis::vertical).accessibilityLabel("field"),
                      Rectangle().frame(100, 400),
                  }))),
                  {100, 100});
    form.click("field");
    const CGFloat top = form.frame("field").minY();
    form.host().handleKey(key("PageDown"));
    const CGFloat paged = form.frame("field").minY();
    EXPECT_LT(paged, top) << "the field leaves Page Down to the scroll view";
    form.host().handleKey(key("Down"));
    form.host().handleKey(key("Home"));
    EXPECT_EQ(form.frame("field").minY(), paged);

    const std::vector<int> rows{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    TestHost list(List(rows, [](int i) { return i; }, [](int i) { return Text("row").accessibilityLabel("row" + std::to_string(i)); }),
                  {100, 100});
    list.click("row0");
    const CGFloat first = list.frame("row0").minY();
    list.host().handleKey(key("Down"));
    EXPECT_EQ(list.frame("row0").minY(), first);
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
