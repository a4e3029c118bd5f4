#include "ViewTestSupport.h"

#include "platform/runtime/ManualRunLoop.h"
#include "platform/view/GeometryReader.h"
#include "platform/view/Preferences.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace glimmo {
namespace {

using testing::TestHost;

TEST(GeometryReaderTest, TakesTheOfferAndPlacesContentTopLeading) {
    auto seen = std::make_shared<CGSize>();
    TestHost t(GeometryReader([seen](const GeometryProxy& proxy) {
                   *seen = proxy.size();
                   return AnyView(Rectangle().frame(proxy.size().width / 2, 10).accessibilityLabel("half"));
               }).frame(120, 80).accessibilityLabel("reader"),
               {200, 200});
    EXPECT_EQ(*seen, (CGSize{120, 80}));
    EXPECT_EQ(t.frame("half"), CGRect(t.frame("reader").minX(), t.frame("reader").minY(), 60, 10));
}

TEST(GeometryReaderTest, FramesInNamedCoordinateSpaces) {
    auto inSpace = std::make_shared<CGRect>();
    TestHost t(VStack(HorizontalAlignment::leading(), 0, {
                   Rectangle().frame(50, 30),
                   GeometryReader([inSpace](const GeometryProxy& proxy) {
                       *inSpace = proxy.frame(CoordinateSpace::named("card"));
                       return AnyView(EmptyView());
                   }).frame(50, 20),
               }).coordinateSpace("card").padding(10),
               {200, 200});
    EXPECT_EQ(*inSpace, CGRect(0, 30, 50, 20));
}

struct WidthsKey {
    using Value = std::map<int, CGFloat>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& next) {
        for (const auto& [k, v] : next()) value[k] = v;
    }
};

// Each row reports its label width; the view then gives every label the widest width, which changes
// the layout and the reported values once more before they settle.
struct EqualWidths : View<EqualWidths> {
    State<CGFloat> labelWidth{0};
    std::shared_ptr<int> changes = std::make_shared<int>(0);
    AnyView body() const {
        std::vector<AnyView> rows;
        const std::vector<std::string> labels{"a", "abcd", "ab"};
        for (int i = 0; i < 3; ++i) {
            rows.push_back(HStack(VerticalAlignment::center(), 0, {
                Text(labels[static_cast<std::size_t>(i)])
                    .frame({.minWidth = *labelWidth > 0 ? std::optional<CGFloat>(*labelWidth) : std::nullopt, .alignment = Alignment::leading()})
                    .background(GeometryReader([i](const GeometryProxy& p) {
                        return AnyView(Color::clear()).preference<WidthsKey>(WidthsKey::Value{{i, p.size().width}});
                    }))
                    .accessibilityLabel("label" + std::to_string(i)),
            }));
        }
        auto changes = this->changes;
        auto width = labelWidth;
        return VStack(HorizontalAlignment::leading(), 0, rows).onPreferenceChange<WidthsKey>([changes, width](const WidthsKey::Value& v) {
            ++*changes;
            CGFloat widest = 0;
            for (const auto& [k, w] : v) widest = std::max(widest, w);
            width.set(widest);
        });
    }
};

TEST(PreferenceTest, ValuesConvergeWithinOneUpdate) {
    EqualWidths view;
    auto changes = view.changes;
    TestHost t(view, {300, 300});
    EXPECT_EQ(t.frame("label0").width(), 26);
    EXPECT_EQ(t.frame("label2").width(), 26);
    EXPECT_LE(*changes, 3) << "first value, then the widened one, then stable";
    const std::size_t before = t.host().bodyEvaluationCount();
    t.host().update();
    EXPECT_EQ(t.host().bodyEvaluationCount(), before) << "a settled tree does not change again";
}

struct CounterKey {
    using Value = int;
    static Value defaultValue() { return 0; }
    static void reduce(Value& value, const std::function<Value()>& next) { value += next(); }
};

// A preference that never settles: each change makes the next value different.
struct Oscillating : View<Oscillating> {
    State<int> n{0};
    std::shared_ptr<int> runs = std::make_shared<int>(0);
    AnyView body() const {
        auto runs = this->runs;
        auto state = n;
        return Text("x").preference<CounterKey>(*n).onPreferenceChange<CounterKey>([runs, state](const int& v) {
            ++*runs;
            state.set(v + 1);
        });
    }
};

TEST(PreferenceTest, AnUnstableLoopStopsAtTheIterationCap) {
    auto loop = std::make_shared<ManualRunLoop>();
    RunLoop::setMain(loop);
    Oscillating view;
    auto runs = view.runs;
    {
        TestHost t(view);
        EXPECT_EQ(*runs, preferenceIterationLimit);
        loop->runUntilIdle(); // the update posted while the host was being made
        EXPECT_LE(*runs, 2 * preferenceIterationLimit);
        EXPECT_EQ(loop->runUntilIdle(), 0u) << "no follow-up update keeps the main loop busy";
    }
    RunLoop::setMain(nullptr);
}

TEST(PreferenceTest, SiblingsReduceInOrderAndTransformChangesTheSubtreeValue) {
    auto seen = std::make_shared<int>(-1);
    TestHost t(VStack({
                   Text("a").preference<CounterKey>(2),
                   Text("b").preference<CounterKey>(3),
               }).transformPreference<CounterKey>([](int& v) { v *= 10; })
                   .onPreferenceChange<CounterKey>([seen](const int& v) { *seen = v; }));
    EXPECT_EQ(*seen, 50);
}

// A list of items that counts every item copied along with it.
struct CountedItems {
    static inline std::size_t copiedItems = 0;
    std::vector<int> items;
    CountedItems() = default;
    explicit CountedItems(std::vector<int> items) : items(std::move(items)) {}
    CountedItems(const CountedItems& other) : items(other.items) { copiedItems += items.size(); }
    CountedItems(CountedItems&&) = default;
    CountedItems& operator=(const CountedItems& other) { return *this = CountedItems(other); }
    CountedItems& operator=(CountedItems&&) = default;
    bool operator==(const CountedItems&) const = default;
};

struct ItemsKey {
    using Value = CountedItems;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& next) {
        for (const int item : next().items) value.items.push_back(item);
    }
};

// Siblings reduce into the value gathered so far; a long list of them must not copy that growing value
// once per sibling.
TEST(PreferenceTest, ManySiblingsGatherWithoutCopyingTheGrowingValue) {
    constexpr int count = 300;
    auto seen = std::make_shared<std::vector<int>>();
    std::vector<AnyView> rows;
    std::vector<int> expected;
    for (int i = 0; i < count; ++i) {
        rows.push_back(Text("row").preference<ItemsKey>(CountedItems({i})));
        expected.push_back(i);
    }
    CountedItems::copiedItems = 0;
    TestHost t(VStack(HorizontalAlignment::center(), 0, rows).onPreferenceChange<ItemsKey>([seen](const CountedItems& v) { *seen = v.items; }));
    EXPECT_EQ(*seen, expected);
    // Each item is copied a few times (set by its writer, handed to the reduce, read by the observer).
    EXPECT_LT(CountedItems::copiedItems, 8U * count);
}

struct BoundsKey {
    using Value = std::map<std::string, Anchor<CGRect>>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& next) {
        for (const auto& [k, v] : next()) value[k] = v;
    }
};

TEST(AnchorPreferenceTest, AnchorsResolveInTheReadersCoordinates) {
    auto resolved = std::make_shared<std::map<std::string, CGRect>>();
    TestHost t(VStack(HorizontalAlignment::leading(), 4, {
                   Rectangle().frame(30, 10).anchorPreference<BoundsKey>(AnchorSource::bounds, [](Anchor<CGRect> a) { return BoundsKey::Value{{"first", a}}; }),
                   Rectangle().frame(20, 20).anchorPreference<BoundsKey>(AnchorSource::bounds, [](Anchor<CGRect> a) { return BoundsKey::Value{{"second", a}}; }),
               })
                   .padding(5)
                   .overlayPreferenceValue<BoundsKey>([resolved](const BoundsKey::Value& anchors) {
                       return AnyView(GeometryReader([resolved, anchors](const GeometryProxy& proxy) {
                           for (const auto& [k, a] : anchors) (*resolved)[k] = proxy[a];
                           return AnyView(EmptyView());
                       }));
                   }),
               {300, 300});
    EXPECT_EQ((*resolved)["first"], CGRect(5, 5, 30, 10));
    EXPECT_EQ((*resolved)["second"], CGRect(5, 19, 20, 20));
}

struct GapKey {
    using Value = CGFloat;
    static Value defaultValue() { return 0; }
    static void reduce(Value& value, const std::function<Value()>& next) { value = std::max(value, next()); }
};

// A block asks for the gap above it through a preference and the reader around it makes that gap, as
// the blocks of a document ask for their margins.
struct GappedBlock : View<GappedBlock> {
    State<CGFloat> gap{0};
    std::shared_ptr<int> placements = std::make_shared<int>(0);
    AnyView body() const {
        auto state = gap;
        return LayoutView(testing::CountingLayout(placements), {AnyView(Text("block")).preference<GapKey>(12)})
            .onPreferenceChange<GapKey>([state](const CGFloat& v) { state.set(v); })
            .padding(EdgeSet::top(), *gap)
            .accessibilityLabel("block");
    }
};

// A reader of a value that does not rest on placement acts before anything is placed; values made
// where views are placed, or by views built only then, are read once they are known.
TEST(PreferenceTest, EachValueIsReadOnceWhatItRestsOnIsKnown) {
    GappedBlock view;
    auto placements = view.placements;
    auto widths = std::make_shared<std::vector<CGFloat>>();
    auto anchors = std::make_shared<int>(0);
    TestHost t(VStack(HorizontalAlignment::leading(), 0, {
                   Text("above"), view,
                   Text("a")
                       .anchorPreference<BoundsKey>(AnchorSource::bounds, [](Anchor<CGRect> a) { return BoundsKey::Value{{"a", a}}; })
                       .onPreferenceChange<BoundsKey>([anchors](const BoundsKey::Value&) { ++*anchors; }),
                   GeometryReader([](const GeometryProxy& p) { return AnyView(Color::clear()).preference<GapKey>(p.size().width); })
                       .frame(80, 10)
                       .onPreferenceChange<GapKey>([widths](const CGFloat& v) { widths->push_back(v); }),
               }),
               {200, 200});
    EXPECT_EQ(t.frame("block").height(), 12 + 13);
    EXPECT_EQ(*placements, 1) << "placed once, with its gap";
    EXPECT_EQ(*widths, (std::vector<CGFloat>{80}));
    EXPECT_EQ(*anchors, 1);
}

// A block holding a geometry reader, as a list item holds its marker's: its gap is known before anything
// is placed, and what the reader adds to it comes after.
struct GappedBlockWithReader : View<GappedBlockWithReader> {
    State<CGFloat> gap{0};
    CGFloat readerAsks = 0;
    std::shared_ptr<int> placements = std::make_shared<int>(0);
    AnyView body() const {
        auto state = gap;
        const CGFloat asks = readerAsks;
        const AnyView reader =
            GeometryReader([asks](const GeometryProxy&) { return AnyView(Color::clear()).preference<GapKey>(asks); }).frame(10, 10);
        return LayoutView(testing::CountingLayout(placements), {VStack({AnyView(Text("block")).preference<GapKey>(12), reader})})
            .accessibilityLabel("content")
            .onPreferenceChange<GapKey>([state](const CGFloat& v) { state.set(v); })
            .padding(EdgeSet::top(), *gap)
            .accessibilityLabel("block");
    }
};

TEST(PreferenceTest, WhatIsKnownOfAValueBeforePlacementIsReadThenAndTheRestOnceItIs) {
    const auto gap = [](TestHost& t) { return t.frame("content").minY() - t.frame("block").minY(); };
    GappedBlockWithReader known;
    TestHost t(known, {200, 200});
    EXPECT_EQ(gap(t), 12);
    EXPECT_EQ(*known.placements, 1) << "placed once, with its gap";

    GappedBlockWithReader added;
    added.readerAsks = 20;
    TestHost more(added, {200, 200});
    EXPECT_EQ(gap(more), 20) << "the reader's part came after placement";
}

} // namespace
} // namespace glimmo
