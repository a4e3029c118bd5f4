#include "ViewTestSupport.h"

#include "platform/view/Button.h"
#include "platform/view/Grid.h"
#include "platform/view/Layout.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

AnyView box(CGFloat w, CGFloat h, const std::string& label) { return Rectangle().frame(w, h).accessibilityLabel(label); }

// Rows from the leading edge, wrapping when the next subview would pass the proposed width; items sit
// on the bottom of their row.
struct FlowLayout final : Layout {
    CGFloat horizontalSpacing = 0;
    CGFloat verticalSpacing = 0;
    FlowLayout(CGFloat h, CGFloat v) : horizontalSpacing(h), verticalSpacing(v) {}

    struct Item {
        std::size_t index;
        CGSize size;
    };
    struct Row {
        CGSize size;
        std::vector<Item> items;
    };
    std::vector<Row> arrangeRows(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const {
        const CGFloat limit = proposal.width.value_or(infinity);
        std::vector<Row> rows;
        Row open;
        CGFloat x = 0, height = 0;
        for (std::size_t i = 0; i < subviews.size(); ++i) {
            std::optional<CGFloat> offer;
            if (proposal.width) offer = subviews[i].priority() < 0 ? *proposal.width - x : *proposal.width;
            const CGSize s = subviews[i].sizeThatFits({offer, std::nullopt});
            if (x > 0 && x + s.width > limit) {
                rows.push_back({{x - horizontalSpacing, height}, open.items});
                open.items.clear();
                x = 0;
                height = 0;
            }
            open.items.push_back({i, s});
            height = std::max(height, s.height);
            x += s.width + horizontalSpacing;
        }
        if (!open.items.empty()) rows.push_back({{x - horizontalSpacing, height}, open.items});
        return rows;
    }
    CGSize sizeThatFits(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const override {
        const auto rows = arrangeRows(proposal, subviews);
        CGSize size;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            size.width = std::max(size.width, rows[r].size.width);
            size.height += rows[r].size.height + (r > 0 ? verticalSpacing : 0);
        }
        return size;
    }
    void placeSubviews(const CGRect& bounds, const ProposedViewSize& proposal, const LayoutSubviews& subviews) const override {
        CGFloat y = bounds.minY();
        for (const auto& row : arrangeRows(proposal, subviews)) {
            CGFloat x = bounds.minX();
            for (const auto& item : row.items) {
                subviews[item.index].place({x, y + row.size.height - item.size.height}, UnitPoint::topLeading(),
                                           ProposedViewSize::of(item.size));
                x += item.size.width + horizontalSpacing;
            }
            y += row.size.height + verticalSpacing;
        }
    }
};

TEST(CustomLayoutTest, FlowLayoutWrapsRowsAndAlignsItemsToTheRowBottom) {
    TestHost t(LayoutView(FlowLayout(3, 3), {box(40, 20, "a"), box(40, 10, "b"), box(40, 10, "c")})
                   .frame(86, 100, Alignment::topLeading()),
               {86, 100});
    EXPECT_EQ(t.frame("a"), CGRect(0, 0, 40, 20));
    EXPECT_EQ(t.frame("b"), CGRect(43, 10, 40, 10));
    EXPECT_EQ(t.frame("c"), CGRect(0, 23, 40, 10));
}

TEST(CustomLayoutTest, SubviewsReportPriorityAndKeepStateAcrossLayoutChanges) {
    struct Probe final : Layout {
        std::shared_ptr<std::vector<double>> priorities;
        CGSize sizeThatFits(const ProposedViewSize&, const LayoutSubviews& subviews) const override {
            priorities->clear();
            for (const auto& s : subviews) priorities->push_back(s.priority());
            return {10, 10};
        }
        void placeSubviews(const CGRect& b, const ProposedViewSize&, const LayoutSubviews& subviews) const override {
            for (const auto& s : subviews) s.place({b.midX(), b.midY()}, UnitPoint::center(), ProposedViewSize::of({4, 4}));
        }
    };
    auto priorities = std::make_shared<std::vector<double>>();
    Probe probe;
    probe.priorities = priorities;
    TestHost t(LayoutView(probe, {box(4, 4, "a"), box(4, 4, "b").layoutPriority(-1)}), {100, 100});
    EXPECT_EQ(*priorities, (std::vector<double>{0, -1}));
    EXPECT_EQ(t.frame("a"), CGRect(48, 48, 4, 4)) << "placed by its centre";
}

TEST(GridTest, ColumnsTakeTheWidestCellAndCellsFollowColumnAlignment) {
    TestHost t(Grid(Alignment::center(), 1, 1, {
                   GridRow({box(50, 20, "a0"), box(30, 10, "b0").gridColumnAlignment(HorizontalAlignment::trailing())}),
                   GridRow({box(20, 10, "a1").gridColumnAlignment(HorizontalAlignment::leading()), box(10, 30, "b1")}),
               }).padding(1).accessibilityLabel("grid"),
               {200, 200});
    const CGRect g = t.frame("grid");
    EXPECT_EQ(g.size, (CGSize{83, 53})) << "50 + 1 + 30 wide, 20 + 1 + 30 high, plus the margin";
    EXPECT_EQ(t.frame("a0"), CGRect(g.minX() + 1, g.minY() + 1, 50, 20));
    EXPECT_EQ(t.frame("a1").minX(), g.minX() + 1) << "leading in its column";
    EXPECT_EQ(t.frame("b1").maxX(), g.minX() + 82) << "trailing in its column";
    EXPECT_EQ(t.frame("b0").midY(), g.minY() + 11) << "centred in its row";
    EXPECT_EQ(t.frame("b1").minY(), g.minY() + 22);
}

TEST(GridTest, ColumnsTooWideForTheOfferShareItAndTextWraps) {
    TestHost t(Grid(Alignment::topLeading(), 0, 0, {
                   GridRow({Text("ab").accessibilityLabel("short"), Text("aaaa bbbb cccc dddd").accessibilityLabel("long")}),
               }).frame({.maxWidth = 100, .alignment = Alignment::topLeading()}).accessibilityLabel("grid"),
               {100, 200});
    EXPECT_EQ(t.frame("short").width(), 13) << "the narrow column keeps its width";
    EXPECT_LE(t.frame("long").maxX(), t.frame("grid").maxX());
    EXPECT_EQ(t.frame("long").height(), 26) << "the wide column wraps into two lines";
}

TEST(GridTest, PlacedUnderTheOfferItKeepsTheColumnsItMeasuredForIt) {
    // Offered 95 points, the columns share them and come to 78; measured again for 78, the first would
    // wrap and the second widen.
    TestHost t(Grid(Alignment::topLeading(), 0, 0, {
                   GridRow({Text("aaa aaa").accessibilityLabel("one line"), Text("bb bb bb bb bb").accessibilityLabel("three lines")}),
               }).accessibilityLabel("grid"),
               {95, 300});
    const CGRect grid = t.frame("grid");
    EXPECT_EQ(grid.width(), 78);
    EXPECT_EQ(t.frame("one line").width(), 45.5);
    EXPECT_EQ(t.frame("three lines").width(), 32.5);
    EXPECT_EQ(t.frame("three lines").height(), grid.height());
}

TEST(GridTest, ARowOutsideGridRowsSpansTheGrid) {
    TestHost t(Grid(Alignment::center(), 0, 0, {
                   GridRow({box(50, 10, "a"), box(30, 10, "b")}),
                   AnyView(Rectangle().frame({.maxWidth = infinity, .maxHeight = 2}).accessibilityLabel("line")),
               }),
               {200, 200});
    EXPECT_EQ(t.frame("line").width(), 80);
}

struct ScrollFixture : View<ScrollFixture> {
    std::shared_ptr<std::optional<ScrollViewProxy>> proxy;
    AnyView body() const {
        auto p = proxy;
        return ScrollViewReader([p](const ScrollViewProxy& reader) {
            *p = reader;
            return AnyView(ScrollView(AnyView(VStack(HorizontalAlignment::center(), 0, {
                ForEach::range(0, 20, [](int i) { return box(50, 20, "row" + std::to_string(i)); }),
            }))).frame(100, 100).accessibilityLabel("scroll"));
        });
    }
};

TEST(ScrollViewTest, WheelScrollsWithinTheContentAndScrollToBringsRowsIntoView) {
    ScrollFixture view;
    view.proxy = std::make_shared<std::optional<ScrollViewProxy>>();
    TestHost t(view, {100, 100});
    const CGFloat top = t.frame("scroll").minY();
    EXPECT_EQ(t.frame("row0").minY(), top);
    WheelEvent wheel;
    wheel.location = {50, 50};
    wheel.deltaY = -45;
    EXPECT_TRUE(t.host().handleWheel(wheel));
    t.host().update();
    EXPECT_EQ(t.frame("row0").minY(), top - 45);
    wheel.deltaY = -10000;
    t.host().handleWheel(wheel);
    t.host().update();
    EXPECT_EQ(t.frame("row19").maxY(), top + 100) << "clamped at the end of the content";

    (*view.proxy)->scrollTo(AnyHashable(3), UnitPoint::top());
    t.host().update();
    EXPECT_EQ(t.frame("row3").minY(), top);
    (*view.proxy)->scrollTo(AnyHashable(10));
    t.host().update();
    EXPECT_EQ(t.frame("row10").maxY(), top + 100) << "scrolls as little as makes the row visible";
    (*view.proxy)->scrollTo(AnyHashable(12), UnitPoint::center());
    t.host().update();
    EXPECT_EQ(t.frame("row12").midY(), top + 50);
}

// A chat: a button adds a bubble and scrolls to it in the same action.
struct GrowingChat : View<GrowingChat> {
    State<int> count{8};
    AnyView body() const {
        auto c = count;
        return ScrollViewReader([c](const ScrollViewProxy& proxy) {
            return AnyView(VStack(HorizontalAlignment::center(), 0, {
                ScrollView(AnyView(VStack(HorizontalAlignment::center(), 0, {
                    ForEach::range(0, *c, [](int i) { return box(50, 20, "bubble" + std::to_string(i)); }),
                }))).frame(100, 100).accessibilityLabel("scroll"),
                Button("Send", [c, proxy] {
                    c.set(*c + 1);
                    proxy.scrollTo(AnyHashable(*c - 1), UnitPoint::bottom());
                }).accessibilityLabel("send"),
            }));
        });
    }
};

TEST(ScrollViewTest, ScrollingToAViewAddedInTheSameActionUsesTheLayoutThatHasIt) {
    TestHost t(GrowingChat{}, {200, 200});
    const CGRect scroll = t.frame("scroll");
    for (int sent = 0; sent < 3; ++sent) t.click("send");
    ASSERT_TRUE(t.has("bubble10"));
    EXPECT_EQ(t.frame("bubble10").maxY(), scroll.maxY()) << "the newest bubble ends at the bottom of the visible area";
}

TEST(ScrollViewTest, WheelPassesThroughOverlaysThatDoNotScroll) {
    int taps = 0;
    const AnyView rows = VStack(HorizontalAlignment::center(), 0, {
        ForEach::range(0, 20, [](int i) { return box(50, 20, "row" + std::to_string(i)); }),
    });
    // A stroked frame and a text drawn over the scroll view, as a highlight or a badge would be.
    TestHost t(ScrollView(rows)
                   .frame(100, 100)
                   .overlay(RoundedRectangle(6).stroke(Color::blue(), 2))
                   .overlay(AnyView(Text("badge")).onTapGesture([&taps] { ++taps; }).accessibilityLabel("badge"),
                            Alignment::top()),
               {100, 100});
    const CGFloat top = t.frame("row0").minY();
    WheelEvent wheel;
    wheel.deltaY = -30;
    wheel.location = {50, 50};
    EXPECT_TRUE(t.host().handleWheel(wheel)) << "over the stroked shape";
    const CGRect badge = t.frame("badge");
    wheel.location = {badge.midX(), badge.midY()};
    EXPECT_TRUE(t.host().handleWheel(wheel)) << "over the text";
    t.host().update();
    EXPECT_EQ(t.frame("row0").minY(), top - 60);
    t.click("badge");
    EXPECT_EQ(taps, 1) << "clicks still go to the view on top";
}

TEST(ScrollViewTest, ShortContentStartsAtTheTopAndIsCentredAcross) {
    TestHost t(ScrollView(box(40, 30, "short")).frame(100, 100).accessibilityLabel("scroll"), {100, 100});
    const CGRect scroll = t.frame("scroll");
    EXPECT_EQ(t.frame("short"), CGRect(scroll.minX() + 30, scroll.minY(), 40, 30));
    // A column held to a minimum height with its content at the bottom, as a short conversation is.
    TestHost chat(ScrollView(VStack(HorizontalAlignment::center(), 0, {Spacer(0), box(40, 20, "last")})
                                 .frame({.maxWidth = infinity, .minHeight = 80, .alignment = Alignment::bottom()}))
                      .frame(std::nullopt, 100)
                      .accessibilityLabel("scroll"),
                  {100, 100});
    EXPECT_EQ(chat.frame("last").maxY(), chat.frame("scroll").minY() + 80);
    TestHost sideways(ScrollView(AxisSet::horizontal(), true, box(40, 30, "short")).frame(100, 100).accessibilityLabel("scroll"),
                      {100, 100});
    EXPECT_EQ(sideways.frame("short"), CGRect(sideways.frame("scroll").minX(), sideways.frame("scroll").minY() + 35, 40, 30));
}

TEST(ScrollViewTest, ContentIsClippedAndIndicatorsShowWhenItOverflows) {
    TestHost t(ScrollView(AxisSet::vertical(), true, box(50, 300, "tall")).frame(100, 100), {100, 100});
    const auto& items = t.host().displayList().items;
    ASSERT_FALSE(items.empty());
    EXPECT_TRUE(std::holds_alternative<PushClip>(items.front()));
    EXPECT_TRUE(std::holds_alternative<FillItem>(items.back())) << "the scroller thumb";
    TestHost hidden(ScrollView(AxisSet::vertical(), false, box(50, 300, "tall")).frame(100, 100), {100, 100});
    EXPECT_TRUE(std::holds_alternative<PopClip>(hidden.host().displayList().items.back()));
}

TEST(ScrollViewTest, AHorizontalIndicatorSitsBelowContentThatSetsTheHeight) {
    // As a code block's lines: as tall as they are, wider than the view.
    const AnyView code = ScrollView(AxisSet::horizontal(), true, box(300, 30, "wide")).fixedSize(false, true);
    TestHost t(VStack(HorizontalAlignment::leading(), 0, {code.accessibilityLabel("scroll"), box(100, 20, "below")}), {100, 200});
    const CGRect content = t.frame("wide");
    EXPECT_EQ(content.minY(), t.frame("scroll").minY()) << "the content stays at the top";
    const auto& items = t.host().displayList().items;
    // The thumb is drawn right after the scroll view's clip is popped.
    const auto clipEnd =
        std::find_if(items.begin(), items.end(), [](const DisplayItem& item) { return std::holds_alternative<PopClip>(item); });
    ASSERT_NE(clipEnd, items.end());
    const auto thumb = clipEnd + 1;
    ASSERT_TRUE(thumb != items.end() && std::holds_alternative<FillItem>(*thumb));
    const CGRect indicator = std::get<FillItem>(*thumb).path.boundingRect();
    EXPECT_GE(indicator.minY(), content.maxY()) << "not over the last line";
    EXPECT_LE(indicator.maxY(), t.frame("below").minY());
}

} // namespace
} // namespace glimmo
