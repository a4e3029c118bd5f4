// Random changes to a random tree of views: after each one, the display list the update leaves must be
// the one a new window shows for the same state.

#include "ViewTestSupport.h"

#include "platform/view/GeometryReader.h"
#include "platform/view/Preferences.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using testing::AnchorsKey;
using testing::describe;

struct Knob : ObservableObject {
    Published<int> value{*this, 0};
};

// A leaf whose kind and size follow its knob.
struct Leaf : View<Leaf> {
    ObservedObject<Knob> knob;
    AnyView body() const {
        const int v = knob->value.get();
        switch (v % 7) {
        case 0: return Text(std::string(static_cast<std::size_t>(1 + v % 5), 'w') + " " + std::to_string(v));
        case 1: return Rectangle().fill(Color::blue()).frame(3 + v % 9 * 4, 6);
        case 2: return EmptyView();
        case 3: return HStack({Text("a"), Spacer(), Circle().frame(5, 5)});
        case 4: return Text("big").font(Font::system(10 + v % 3 * 4));
        case 5: return AnyView(Text("hidden")).hidden();
        default: return AnyView(Text("padded")).padding(v % 4 * 3).anchorPreference<AnchorsKey>(AnchorSource::bounds, [](Anchor<CGRect> a) {
            return AnchorsKey::Value{a};
        });
        }
    }
};

// A container whose kind, children and their order follow its knob.
struct Box : View<Box> {
    ObservedObject<Knob> knob;
    std::vector<AnyView> children;
    AnyView body() const {
        const int v = knob->value.get();
        const std::size_t count = children.size() - static_cast<std::size_t>(v % 2);
        std::vector<ForEach::Element> items;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = v % 3 == 2 ? count - 1 - i : i;
            items.push_back({AnyHashable(at), children[at]});
        }
        const AnyView list(ForEach(std::move(items)));
        switch (v % 5) {
        case 0: return VStack(HorizontalAlignment::leading(), 2, {list});
        case 1: return HStack(VerticalAlignment::firstTextBaseline(), 3, {list});
        case 2: return ZStack(Alignment::bottomTrailing(), {list});
        case 3:
            return AnyView(VStack({list})).padding(4).background(Color::gray()).overlayPreferenceValue<AnchorsKey>([](const AnchorsKey::Value& anchors) {
                return AnyView(GeometryReader([anchors](const GeometryProxy& proxy) {
                    std::vector<AnyView> marks;
                    for (const auto& a : anchors) marks.push_back(AnyView(Rectangle().frame(2, 2)).offset(proxy[a].minX(), proxy[a].minY()));
                    return AnyView(ZStack(Alignment::topLeading(), std::move(marks)));
                }));
            });
        default:
            return GeometryReader([list](const GeometryProxy& proxy) {
                return AnyView(VStack({Text(std::to_string(static_cast<int>(proxy.size().width))), list}));
            });
        }
    }
};

AnyView randomTree(std::mt19937& random, std::vector<std::shared_ptr<Knob>>& knobs, int depth) {
    knobs.push_back(std::make_shared<Knob>());
    if (depth == 0 || random() % 4 == 0) return Leaf{{}, {knobs.back()}};
    Box box{{}, {knobs.back()}, {}};
    for (int i = 0; i < 3; ++i) box.children.push_back(randomTree(random, knobs, depth - 1));
    return box;
}

// The first step after which the update's drawing differs from a new window's, if any: the window lives
// `steps` changes, one random knob each, and is resized now and then.
std::optional<int> firstDifference(unsigned seed, int steps) {
    std::mt19937 random(seed);
    std::vector<std::shared_ptr<Knob>> knobs;
    const AnyView root = randomTree(random, knobs, 4);
    const auto measurer = std::make_shared<FixedAdvanceTextMeasurer>();
    ViewHost host(root, measurer);
    CGSize size{400, 300};
    host.setSize(size);
    host.displayList();
    for (int step = 0; step < steps; ++step) {
        if (step % 15 == 14) size.width = size.width == 400 ? 260 : 400;
        host.setSize(size);
        knobs[random() % knobs.size()]->value.set(static_cast<int>(random() % 30));
        ViewHost fresh(root, measurer);
        fresh.setSize(size);
        if (describe(host.displayList()) != describe(fresh.displayList())) return step;
    }
    return std::nullopt;
}

// Seeds [first, last], each a window living `steps` changes. The ranges are cases of their own so that
// the work can be shared out.
struct Lives {
    unsigned first;
    unsigned last;
    int steps;
};

class IncrementalConsistencyTest : public ::testing::TestWithParam<Lives> {};

TEST_P(IncrementalConsistencyTest, UpdatesDrawWhatANewWindowDraws) {
    const Lives lives = GetParam();
    for (unsigned seed = lives.first; seed <= lives.last; ++seed) {
        const auto step = firstDifference(seed, lives.steps);
        EXPECT_FALSE(step.has_value()) << "seed " << seed << " differs after step " << step.value_or(-1);
    }
}

std::vector<Lives> ranges(unsigned first, unsigned last, unsigned perCase, int steps) {
    std::vector<Lives> out;
    for (unsigned from = first; from <= last; from += perCase) out.push_back({from, std::min(last, from + perCase - 1), steps});
    return out;
}

std::string rangeName(const ::testing::TestParamInfo<Lives>& info) {
    return "seeds_" + std::to_string(info.param.first) + "_to_" + std::to_string(info.param.last);
}

// 300 windows living 60 changes and 100 of them living on to 300 (a seed's first changes are the same
// however long its window lives).
INSTANTIATE_TEST_SUITE_P(LongLives, IncrementalConsistencyTest, ::testing::ValuesIn(ranges(1, 100, 5, 300)), rangeName);
INSTANTIATE_TEST_SUITE_P(ShortLives, IncrementalConsistencyTest, ::testing::ValuesIn(ranges(101, 300, 25, 60)), rangeName);

} // namespace
} // namespace glimmo
