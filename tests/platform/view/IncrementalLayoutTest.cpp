#include "ViewTestSupport.h"

#include "platform/view/GeometryReader.h"
#include "platform/view/Grid.h"
#include "platform/view/Layout.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"
#include "platform/view/ViewGraph.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace glimmo {
namespace {

using testing::AnchorsKey;
using testing::CountingLayout;
using testing::describe;
using testing::findLabelled;

// Counts the words and spaces it measures.
class CountingMeasurer final : public TextMeasurer {
public:
    FontMetrics metrics(const ResolvedFont& font) const override { return fixed_.metrics(font); }
    double advance(std::string_view utf8, const ResolvedFont& font) const override {
        ++advances;
        return fixed_.advance(utf8, font);
    }
    mutable int advances = 0;

private:
    FixedAdvanceTextMeasurer fixed_;
};

// A rectangle that counts how often it is drawn.
struct CountingShape : ShapeView<CountingShape> {
    std::shared_ptr<int> drawn;
    Path path(const CGRect& r) const {
        ++*drawn;
        return Path::rect(r);
    }
};

struct RowModel : ObservableObject {
    Published<CGFloat> height{*this, 10};
    Published<bool> marked{*this, false};
};

// A row observes its own model, so a change to it evaluates that row alone.
struct Row : View<Row> {
    int index = 0;
    ObservedObject<RowModel> model;
    std::shared_ptr<int> placements;
    std::shared_ptr<int> drawn;
    AnyView body() const {
        const bool marked = model->marked.get();
        const AnyView row = HStack({Text("row " + std::to_string(index) + (marked ? " marked" : "")), Spacer(),
                                    marked ? AnyView(Circle().frame(6, 6)) : AnyView(EmptyView())})
                                .frame(std::nullopt, model->height.get())
                                .background(CountingShape{{}, drawn}.fill(Color::gray()));
        return LayoutView(CountingLayout(placements), {row}).accessibilityLabel("row" + std::to_string(index));
    }
};

struct Rows : View<Rows> {
    std::vector<std::shared_ptr<RowModel>> models;
    std::shared_ptr<int> placements;
    std::shared_ptr<int> drawn;
    AnyView body() const {
        std::vector<AnyView> rows;
        for (std::size_t i = 0; i < models.size(); ++i) rows.push_back(Row{{}, static_cast<int>(i), {models[i]}, placements, drawn});
        return VStack(HorizontalAlignment::leading(), 2, std::move(rows))
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading()});
    }
};

class IncrementalLayoutTest : public ::testing::Test {
protected:
    std::unique_ptr<ViewHost> host(std::shared_ptr<const TextMeasurer> measurer = std::make_shared<FixedAdvanceTextMeasurer>()) {
        auto h = std::make_unique<ViewHost>(AnyView(Rows{{}, model, placements, drawn}), std::move(measurer));
        h->setSize({300, 800});
        h->displayList();
        return h;
    }
    // The display list the model gives when everything is laid out and drawn from scratch.
    std::string fresh() { return describe(host()->displayList()); }

    std::vector<std::shared_ptr<RowModel>> model = [] {
        std::vector<std::shared_ptr<RowModel>> rows;
        for (int i = 0; i < 40; ++i) rows.push_back(std::make_shared<RowModel>());
        return rows;
    }();
    std::shared_ptr<int> placements = std::make_shared<int>(0);
    std::shared_ptr<int> drawn = std::make_shared<int>(0);
};

TEST_F(IncrementalLayoutTest, AChangeInOneRowLaysOutMeasuresAndDrawsThatRowOnly) {
    auto measurer = std::make_shared<CountingMeasurer>();
    auto h = host(measurer);
    const int advancesPerRow = measurer->advances / 40;
    *placements = 0;
    measurer->advances = 0;
    *drawn = 0;
    model[7]->marked.set(true);
    const std::string shown = describe(h->displayList());
    EXPECT_EQ(*placements, 1) << "only the changed row is placed again";
    EXPECT_LE(measurer->advances, 2 * advancesPerRow) << "only the changed row's text is measured";
    EXPECT_EQ(*drawn, 1) << "only the changed row is drawn";
    EXPECT_EQ(shown, fresh());
    EXPECT_NE(shown.find("row 7 marked"), std::string::npos);

    // Rows that gain or lose drawn items keep the drawing in order.
    for (const std::size_t row : {5u, 0u, 39u, 5u}) {
        model[row]->marked.set(!model[row]->marked.get());
        EXPECT_EQ(describe(h->displayList()), fresh()) << "row " << row;
    }
}

TEST_F(IncrementalLayoutTest, ARowThatGrowsMovesTheRowsBelowAndNotThoseAbove) {
    auto h = host();
    const auto frameOf = [&](const char* label) { return findLabelled(h->graph().root(), label)->elementsFrame(); };
    const CGRect above = frameOf("row3");
    const CGRect below = frameOf("row30");
    *placements = 0;
    model[20]->height.set(25);
    const std::string shown = describe(h->displayList());
    EXPECT_EQ(*placements, 20) << "the changed row and the rows below it";
    EXPECT_EQ(frameOf("row3"), above);
    EXPECT_EQ(frameOf("row30"), below.offsetBy(0, 15));
    EXPECT_EQ(shown, fresh());
}

struct RowCount : ObservableObject {
    Published<int> rows{*this, 0};
    Published<bool> reversed{*this, false};
};

// A row on a shape that counts its drawing; equal rows are not evaluated again.
struct CountedRow : View<CountedRow> {
    int index = 0;
    std::shared_ptr<int> drawn;
    AnyView body() const { return AnyView(Text("row " + std::to_string(index))).background(CountingShape{{}, drawn}.fill(Color::gray())); }
    bool operator==(const CountedRow& other) const { return index == other.index && drawn == other.drawn; }
};

// As many rows as the model says, in a scroll view, as a chat shows its messages.
struct GrowingRows : View<GrowingRows> {
    ObservedObject<RowCount> model;
    std::shared_ptr<int> drawn;
    AnyView body() const {
        const auto counted = drawn;
        std::vector<int> order;
        for (int i = 0; i < model->rows.get(); ++i) order.push_back(i);
        if (model->reversed.get()) std::reverse(order.begin(), order.end());
        return ScrollView(AnyView(VStack(HorizontalAlignment::leading(), 2, {ForEach(order, [](int i) { return i; }, [counted](int i) {
            return CountedRow{{}, i, counted};
        })})));
    }
};

TEST(IncrementalDrawingTest, ARowAddedOrRemovedDrawsThatRowOnlyHoweverManyThereAre) {
    for (const int rows : {3, 40}) {
        const auto count = std::make_shared<RowCount>();
        count->rows.set(rows);
        const auto drawn = std::make_shared<int>(0);
        const auto show = [&] {
            ViewHost h(AnyView(GrowingRows{{}, {count}, drawn}), std::make_shared<FixedAdvanceTextMeasurer>());
            h.setSize({300, 1000});
            return describe(h.displayList());
        };
        ViewHost live(AnyView(GrowingRows{{}, {count}, drawn}), std::make_shared<FixedAdvanceTextMeasurer>());
        live.setSize({300, 1000});
        live.displayList();
        *drawn = 0;
        count->rows.set(rows + 1);
        const std::string added = describe(live.displayList());
        EXPECT_EQ(*drawn, 1) << rows << " rows: only the new row is drawn";
        EXPECT_EQ(added, show());
        count->rows.set(rows - 1);
        EXPECT_EQ(describe(live.displayList()), show()) << rows << " rows, two taken away";
        count->reversed.set(true);
        EXPECT_EQ(describe(live.displayList()), show()) << rows << " rows, in the other order";
    }
}

// Rows drawn over one another, in the order the model says.
struct StackedRows : View<StackedRows> {
    ObservedObject<RowCount> model;
    std::shared_ptr<int> drawn;
    AnyView body() const {
        const auto counted = drawn;
        const std::vector<int> order = model->reversed.get() ? std::vector<int>{2, 1, 0} : std::vector<int>{0, 1, 2};
        return ZStack({ForEach(order, [](int i) { return i; }, [counted](int i) { return CountedRow{{}, i, counted}; })});
    }
};

TEST(IncrementalDrawingTest, ViewsDrawnInAnotherOrderKeepTheirItems) {
    const auto order = std::make_shared<RowCount>();
    const auto drawn = std::make_shared<int>(0);
    ViewHost live(AnyView(StackedRows{{}, {order}, drawn}), std::make_shared<FixedAdvanceTextMeasurer>());
    live.setSize({300, 100});
    live.displayList();
    *drawn = 0;
    order->reversed.set(true);
    const std::string reversed = describe(live.displayList());
    EXPECT_EQ(*drawn, 0) << "no row is drawn again";
    ViewHost fresh(AnyView(StackedRows{{}, {order}, drawn}), std::make_shared<FixedAdvanceTextMeasurer>());
    fresh.setSize({300, 100});
    EXPECT_EQ(reversed, describe(fresh.displayList()));
}

// Evaluated again whenever its model changes, with the same modifiers around a text built afresh.
struct Rebuilt : View<Rebuilt> {
    ObservedObject<RowCount> model;
    AnyView body() const {
        (void)model->rows.get();
        return AnyView(Text("same")).padding(4).frame(80, 20).offset(2, 2).opacity(0.5);
    }
};

TEST(IncrementalDrawingTest, ModifiersBuiltAgainAlikeAreNotDrawnAgain) {
    const auto model = std::make_shared<RowCount>();
    ViewHost h(AnyView(Rebuilt{{}, {model}}), std::make_shared<FixedAdvanceTextMeasurer>());
    h.setSize({200, 100});
    const std::string before = describe(h.displayList());
    const ViewGraph::Work work = h.graph().work;
    model->rows.set(1);
    EXPECT_EQ(describe(h.displayList()), before);
    EXPECT_EQ(h.graph().work.drawnNodes - work.drawnNodes, 1u) << "the text, built again, alone";
}

// Built again alike but for the scheme around it, which gives its shadow another colour.
struct Restyled : View<Restyled> {
    ObservedObject<RowCount> model;
    AnyView body() const {
        const ColorScheme scheme = model->rows.get() == 0 ? ColorScheme::light : ColorScheme::dark;
        return AnyView(Rectangle().frame(40, 20).shadow(Color::labelColor(), 2).colorScheme(scheme));
    }
};

// Equal parameters in another environment draw afresh, as in a new window.
TEST(IncrementalDrawingTest, ModifiersWithEqualParametersFollowANewEnvironment) {
    const auto model = std::make_shared<RowCount>();
    ViewHost h(AnyView(Restyled{{}, {model}}), std::make_shared<FixedAdvanceTextMeasurer>());
    h.setSize({200, 100});
    h.displayList();
    model->rows.set(1);
    ViewHost fresh(AnyView(Restyled{{}, {model}}), std::make_shared<FixedAdvanceTextMeasurer>());
    fresh.setSize({200, 100});
    EXPECT_EQ(h.displayList().items, fresh.displayList().items);
}

// A cell that reads its own model: a change to it evaluates the cell alone.
struct Cell : View<Cell> {
    ObservedObject<RowModel> model;
    std::string label;
    AnyView body() const { return Text(model->marked.get() ? "a much longer cell" : "cell").accessibilityLabel(label); }
};

TEST(IncrementalGridTest, ACellThatGrowsWidensItsColumnForEveryRow) {
    auto model = std::make_shared<RowModel>();
    testing::TestHost t(Grid(Alignment::topLeading(), 4, 4,
                             {GridRow({AnyView(Cell{{}, {model}, "grown"}), Text("right").accessibilityLabel("right")}),
                              GridRow({Text("x"), Text("below").accessibilityLabel("below")})}),
                        {500, 200});
    const CGFloat before = t.frame("right").minX() - t.frame("grown").minX();
    model->marked.set(true);
    EXPECT_EQ(t.frame("right").minX() - t.frame("grown").minX(), before + 14 * 6.5);
    EXPECT_EQ(t.frame("below").minX(), t.frame("right").minX()) << "the column is as wide in every row";
}

// A priority and a column alignment set under further modifiers, both changed by the model.
struct Traited : View<Traited> {
    ObservedObject<RowModel> model;
    AnyView body() const {
        const bool marked = model->marked.get();
        const AnyView first = AnyView(Text("first words here")).layoutPriority(marked ? 1 : 0).padding(2).padding(3);
        const AnyView cell = AnyView(Text("x")).gridColumnAlignment(marked ? HorizontalAlignment::trailing() : HorizontalAlignment::leading()).padding(1);
        return VStack({HStack({first, Text("second words here")}),
                       Grid(Alignment::center(), 0, 0, {GridRow({cell}), GridRow({Text("a wide cell")})})});
    }
};

TEST(IncrementalTraitsTest, APriorityOrColumnAlignmentChangedUnderModifiersReachesTheStackAndTheGrid) {
    auto model = std::make_shared<RowModel>();
    const auto measurer = std::make_shared<FixedAdvanceTextMeasurer>();
    ViewHost host(Traited{{}, {model}}, measurer);
    host.setSize({150, 200});
    const std::string before = describe(host.displayList());
    model->marked.set(true);
    ViewHost fresh(Traited{{}, {model}}, measurer);
    fresh.setSize({150, 200});
    EXPECT_NE(describe(host.displayList()), before);
    EXPECT_EQ(describe(host.displayList()), describe(fresh.displayList()));
}

AnyView marked(CGFloat width) {
    return AnyView(Rectangle().frame(width, 10)).anchorPreference<AnchorsKey>(AnchorSource::bounds, [](Anchor<CGRect> a) { return AnchorsKey::Value{a}; });
}

// Two boxes whose order the model flips, without changing the size of what holds them.
struct Swapped : View<Swapped> {
    ObservedObject<RowModel> model;
    AnyView body() const {
        return model->marked.get() ? HStack({marked(30), marked(10)}) : HStack({marked(10), marked(30)});
    }
};

TEST(IncrementalPreferenceTest, AnOverlayBuiltFromAnchorsFollowsThemWhenOnlyTheyMove) {
    auto model = std::make_shared<RowModel>();
    const AnyView view = AnyView(VStack({Text("title"), Swapped{{}, {model}}})).overlayPreferenceValue<AnchorsKey>([](const AnchorsKey::Value& anchors) {
        return AnyView(GeometryReader([anchors](const GeometryProxy& proxy) {
            std::vector<AnyView> dots;
            for (const auto& a : anchors) dots.push_back(AnyView(Circle().frame(2, 2)).offset(proxy[a].minX(), proxy[a].minY()));
            return AnyView(ZStack(Alignment::topLeading(), std::move(dots)));
        }));
    });
    const auto measurer = std::make_shared<FixedAdvanceTextMeasurer>();
    ViewHost host(view, measurer);
    host.setSize({300, 200});
    const std::string before = describe(host.displayList());
    model->marked.set(true);
    ViewHost fresh(view, measurer);
    fresh.setSize({300, 200});
    EXPECT_NE(describe(host.displayList()), before);
    EXPECT_EQ(describe(host.displayList()), describe(fresh.displayList()));
}

struct Tall : View<Tall> {
    ObservedObject<RowModel> model;
    AnyView body() const { return Rectangle().frame(20, model->height.get()); }
};

TEST(IncrementalGeometryTest, AReaderSeesItsFrameInANamedSpaceMoveWhenOnlyTheSpaceMoves) {
    auto model = std::make_shared<RowModel>();
    auto seen = std::make_shared<CGRect>();
    // The reader sits at the bottom of a space that grows upwards: its own frame stays put.
    testing::TestHost t(AnyView(VStack(HorizontalAlignment::leading(), 0, {Tall{{}, {model}}, GeometryReader([seen](const GeometryProxy& proxy) {
                                                                                 *seen = proxy.frame(CoordinateSpace::named("space"));
                                                                                 return AnyView(EmptyView());
                                                                             }).frame(20, 10)}))
                            .coordinateSpace("space")
                            .frame(std::nullopt, 200, Alignment::bottom()),
                        {100, 200});
    EXPECT_EQ(seen->minY(), 10);
    model->height.set(50);
    t.host().update();
    EXPECT_EQ(seen->minY(), 50);
}

// A text whose top guide and colour follow its model.
struct Raised : View<Raised> {
    ObservedObject<RowModel> model;
    AnyView body() const {
        const CGFloat top = model->height.get();
        return AnyView(Text("raised").foregroundColor(model->marked.get() ? Color::red() : Color::blue()))
            .alignmentGuide(VerticalAlignment::top(), [top](const ViewDimensions&) { return top; });
    }
};

// A text as long as its model says beside a colour that takes the rest of the row: every length offers
// the colour another width.
struct Squeezed : View<Squeezed> {
    ObservedObject<RowModel> model;
    AnyView body() const {
        return HStack({Text(std::string(static_cast<std::size_t>(model->height.get()), 'w')), AnyView(Color::gray()).frame(std::nullopt, 10)});
    }
};

TEST(IncrementalAnswersTest, ViewsThatForgotTheirAnswersStillMoveWithTheirContent) {
    auto guide = std::make_shared<RowModel>();
    auto length = std::make_shared<RowModel>();
    const AnyView view = AnyView(VStack({Text("above"), Raised{{}, {guide}}, Squeezed{{}, {length}}}))
                             .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top()});
    testing::TestHost t(view, {300, 200});
    ViewHost& host = t.host();
    host.displayList();
    // More widths than the colour keeps answers for: it and the views around it forget theirs, at some
    // point. After each: a change that asks sizes alone, then one that moves the guide.
    for (int n = 1; n < 70; ++n) {
        length->height.set(n);
        host.displayList();
        guide->marked.set(n % 2 == 0);
        host.displayList();
        guide->height.set(10 + n % 5 * 7);
        ASSERT_EQ(describe(host.displayList()), testing::drawnByANewWindow(view, {300, 200})) << "after " << n << " lengths";
    }
}

// Every level asks its content for the guide; each level's answer is remembered for the size it was
// asked at.
AnyView nested(int depth, const std::shared_ptr<int>& guideCalls) {
    if (depth == 0) {
        return AnyView(Text("deep")).alignmentGuide(HorizontalAlignment::leading(), [guideCalls](const ViewDimensions&) {
            ++*guideCalls;
            return CGFloat{0};
        });
    }
    return VStack(HorizontalAlignment::leading(), 0, {nested(depth - 1, guideCalls), Text("level")}).padding(EdgeSet::leading(), 4);
}

AnyView nestedOnBaseline(int depth) {
    if (depth == 0) return Text("deep words here");
    return HStack(VerticalAlignment::firstTextBaseline(), 2, {nestedOnBaseline(depth - 1), Text("x")}).padding(EdgeSet::top(), 2);
}

TEST(NestedLayoutTest, WorkGrowsWithTheDepthNotExponentially) {
    auto shallow = std::make_shared<int>(0), deep = std::make_shared<int>(0);
    testing::TestHost a(nested(4, shallow), {600, 800});
    testing::TestHost b(nested(12, deep), {600, 800});
    EXPECT_LE(*deep, *shallow + 8 * 4) << "a few guide calls per level";

    auto measurer = std::make_shared<CountingMeasurer>();
    ViewHost host(nestedOnBaseline(10), measurer);
    host.setSize({800, 600});
    host.displayList();
    EXPECT_LE(measurer->advances, 10 * 8) << "each text is measured once, whatever the number of proposals and baseline queries";
}

} // namespace
} // namespace glimmo
