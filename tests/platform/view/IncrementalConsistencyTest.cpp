// Random changes to random windows made of every kind of view the kit has: after each step, what the
// update leaves (the display list, every element's frame and the proposal it was placed under) must be
// what a new window shows for the same state and size.

#include "KitGenerator.h"
#include "ViewTestSupport.h"

#include "platform/view/NodeKinds.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <typeindex>
#include <vector>

namespace glimmo {
namespace {

using testing::Kind;
using testing::Knob;
using testing::Scope;
using testing::World;

std::string nodeName(const std::type_index& type) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> readable(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 ? readable.get() : type.name();
}

std::string describe(const CGRect& r) {
    std::ostringstream out;
    out << r.minX() << "," << r.minY() << " " << r.width() << "x" << r.height();
    return out.str();
}

std::string describe(const ProposedViewSize& p) {
    const auto side = [](std::optional<CGFloat> v) { return v ? std::to_string(*v) : std::string("nil"); };
    return side(p.width) + " x " + side(p.height);
}

// Where the two trees first differ: a node of another kind, other children, another frame or
// placement proposal. Nodes that are not placed (those lending their children to their parent, rows of
// a grid) have no frame to compare.
std::optional<std::string> treeDifference(const ViewNode& live, const ViewNode& fresh) {
    const auto here = [&](const std::string& what) { return std::optional<std::string>(nodeName(typeid(live)) + ": " + what); };
    if (typeid(live) != typeid(fresh) || live.kind() != fresh.kind()) return here("a new window has " + nodeName(fresh.kind()));
    if (live.isLayoutElement() && (live.hasBeenPlaced || fresh.hasBeenPlaced)) {
        if (live.hasBeenPlaced != fresh.hasBeenPlaced || !(live.frame == fresh.frame)) {
            return here("frame " + describe(live.frame) + " where a new window has " + describe(fresh.frame));
        }
        if (!(live.placedProposal == fresh.placedProposal)) {
            return here("placed under " + describe(live.placedProposal) + " where a new window has " + describe(fresh.placedProposal));
        }
    }
    if (live.children.size() != fresh.children.size()) {
        return here(std::to_string(live.children.size()) + " children where a new window has " + std::to_string(fresh.children.size()));
    }
    for (std::size_t i = 0; i < live.children.size(); ++i) {
        if (auto inside = treeDifference(*live.children[i], *fresh.children[i])) return nodeName(typeid(live)) + " > " + *inside;
    }
    return std::nullopt;
}

std::optional<std::string> difference(ViewHost& live, ViewHost& fresh) {
    const DisplayList& drawn = live.displayList();
    const DisplayList& expected = fresh.displayList();
    if (!(drawn.items == expected.items) || !(drawn.background == expected.background)) {
        std::size_t at = 0;
        while (at < drawn.items.size() && at < expected.items.size() && drawn.items[at] == expected.items[at]) ++at;
        const auto lines = [at](const DisplayList& list) {
            DisplayList part;
            for (std::size_t i = at; i < list.items.size() && i < at + 4; ++i) part.items.push_back(list.items[i]);
            return testing::describe(part);
        };
        return "drawing from item " + std::to_string(at) + ":\n" + lines(drawn) + "where a new window draws:\n" + lines(expected);
    }
    if (auto d = treeDifference(*live.graph().root(), *fresh.graph().root())) return d;
    const auto layers = live.graph().presentedLayers();
    const auto expectedLayers = fresh.graph().presentedLayers();
    if (layers.size() != expectedLayers.size()) return std::string("another number of presented layers");
    for (std::size_t i = 0; i < layers.size(); ++i) {
        if (auto d = treeDifference(*layers[i], *expectedLayers[i])) return "presented layer: " + *d;
    }
    return std::nullopt;
}

void collectLabelled(ViewNode* node, std::vector<ViewNode*>& out) {
    if (node->accessibilityLabel() == testing::clickableLabel) out.push_back(node);
    for (auto& c : node->children) collectLabelled(c.get(), out);
}

// Clicks a random button or toggle where it shows; false when none shows with nothing over it. A
// disabled one is not clicked: the click would go on to what holds it (a list would select its row,
// which a new window cannot know).
bool clickSomething(World& world, ViewHost& host) {
    std::vector<ViewNode*> clickable;
    collectLabelled(host.graph().root(), clickable);
    for (ViewNode* layer : host.graph().presentedLayers()) collectLabelled(layer, clickable);
    if (clickable.empty()) return false;
    ViewNode* target = clickable[static_cast<std::size_t>(world.below(static_cast<int>(clickable.size())))];
    if (!target->environment.isEnabled()) return false;
    const CGRect f = target->elementsFrame();
    const CGPoint at{f.midX(), f.midY()};
    const ViewNode* hit = host.graph().hitTest(at, ViewNode::HitPurpose::pointer);
    if (!hit || !target->containsNode(hit)) return false;
    host.handlePointer(testing::TestHost::pointer(PointerEvent::Kind::pressed, at));
    host.handlePointer(testing::TestHost::pointer(PointerEvent::Kind::released, at));
    // Focus belongs to this window alone.
    host.graph().focus(nullptr);
    return true;
}

const CGSize windowSizes[] = {{400, 300}, {260, 300}, {400, 180}, {520, 360}};

// The first step after which the live window differs from a new one, if any. Each step makes one to
// three changes: a knob set, state set from outside, a click, or a new window size.
std::optional<std::string> firstDifference(unsigned seed, int steps) {
    World world(seed);
    const AnyView root = testing::randomWindow(world, 60);
    const auto measurer = std::make_shared<FixedAdvanceTextMeasurer>();
    ViewHost live(root, measurer);
    CGSize size = windowSizes[0];
    live.setSize(size);
    live.displayList();
    for (int step = 0; step < steps; ++step) {
        const int changes = 1 + world.below(3);
        for (int i = 0; i < changes; ++i) {
            const int what = world.below(100);
            if (what >= 95) {
                size = windowSizes[world.below(4)];
                live.setSize(size);
            } else if (what >= 90) {
                world.outside->set(world.below(30));
            } else if (what < 75 || !clickSomething(world, live)) {
                world.knobs[static_cast<std::size_t>(world.below(static_cast<int>(world.knobs.size())))]->value.set(world.below(30));
            }
        }
        live.displayList();
        world.outside->recording = false;
        ViewHost fresh(root, measurer);
        fresh.setSize(size);
        fresh.displayList();
        world.outside->recording = true;
        if (auto d = difference(live, fresh)) return "step " + std::to_string(step) + ": " + *d;
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

TEST_P(IncrementalConsistencyTest, UpdatesLeaveWhatANewWindowShows) {
    const Lives lives = GetParam();
    for (unsigned seed = lives.first; seed <= lives.last; ++seed) {
        const auto d = firstDifference(seed, lives.steps);
        EXPECT_FALSE(d.has_value()) << "seed " << seed << ", " << d.value_or("");
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

// 2000 windows living 60 changes, and 300 of them living on to 300 (a seed's first changes are the same
// however long its window lives).
INSTANTIATE_TEST_SUITE_P(LongLives, IncrementalConsistencyTest, ::testing::ValuesIn(ranges(1, 300, 5, 300)), rangeName);
INSTANTIATE_TEST_SUITE_P(ShortLives, IncrementalConsistencyTest, ::testing::ValuesIn(ranges(301, 2000, 25, 60)), rangeName);

void collectKinds(const ViewNode& node, std::set<std::type_index>& out) {
    out.insert(typeid(node));
    for (const auto& c : node.children) collectKinds(*c, out);
}

// Every kind of node the kit can make is made by some kind of the generator's list (each made with a
// few parameters and knob values, holding texts).
TEST(KitCoverageTest, TheGeneratorMakesEveryKindOfNodeOfTheKit) {
    std::set<std::type_index> made;
    for (const Kind& kind : testing::kinds()) {
        for (int v = 0; v < 6; ++v) {
            World world(static_cast<unsigned>(v) + 1);
            auto knob = std::make_shared<Knob>();
            knob->value.set(v);
            world.knobs.push_back(knob);
            std::vector<testing::Piece> held;
            const int count = kind.holds == Kind::Holds::nothing ? 0 : kind.holds == Kind::Holds::one ? 1 : 2;
            for (int i = 0; i < count; ++i) held.push_back([](const Scope& s) { return AnyView(Text(std::to_string(s.v))); });
            ViewHost host(kind.make(world, std::move(held))(Scope{v, knob}), std::make_shared<FixedAdvanceTextMeasurer>());
            host.setSize({300, 200});
            host.displayList();
            collectKinds(*host.graph().root(), made);
            for (ViewNode* layer : host.graph().presentedLayers()) collectKinds(*layer, made);
        }
    }
    for (const std::type_index& kind : nodeKinds()) EXPECT_TRUE(made.count(kind) > 0) << "no kind of the generator makes " << nodeName(kind);
}

// Views declared in the kit's public headers (a class deriving from View<itself>, or from ShapeView).
std::set<std::string> publicViewTypes() {
    const char* root = std::getenv("GLIMMO_SOURCE_DIR");
    if (root == nullptr) return {};
    const std::regex declaration(R"(^\s*(?:template\s*<[^>]*>\s*)?(?:class|struct)\s+(\w+)[^;{]*:\s*(?:public\s+)?(?:View<\1|ShapeView<\1)\b)");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(root) / "platform" / "view")) {
        if (entry.path().extension() != ".h") continue;
        std::ifstream header(entry.path());
        for (std::string line; std::getline(header, line);) {
            if (std::smatch match; std::regex_search(line, match, declaration)) names.insert(match[1]);
        }
    }
    return names;
}

// Every public view type of the kit is a kind of the generator's list, or is made by one (the parts a
// control is drawn with), so a view added to the kit cannot be left out of the generator unnoticed.
TEST(KitCoverageTest, EveryPublicViewTypeIsAKindOfTheGenerator) {
    const std::map<std::string, std::string> madeByKind = {
        {"AnyView", "user view"}, {"Section", "Form"}, {"PickerControl", "Picker"},
        {"ListControl", "List"}, {"TabViewControl", "TabView"}};
    std::set<std::string> names;
    for (const Kind& kind : testing::kinds()) names.insert(kind.name);
    const std::set<std::string> declared = publicViewTypes();
    ASSERT_TRUE(declared.count("VStack") > 0 && declared.count("Rectangle") > 0) << "the kit's headers were not found";
    for (const std::string& type : declared) {
        const auto made = madeByKind.find(type);
        EXPECT_TRUE(names.count(made == madeByKind.end() ? type : made->second) > 0)
            << type << " is declared in the kit but no kind of the generator makes it";
    }
}

} // namespace
} // namespace glimmo
