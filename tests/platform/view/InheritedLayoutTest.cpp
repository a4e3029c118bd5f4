// What a view learns from the views around it (a spacer or divider follows the axis of its stack) is
// the same for a view made by an update as for one made with a new window.

#include "ViewTestSupport.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

using testing::describe;
using testing::Knob;
using testing::TestHost;

// Shows Text("x") under its wrapper, then `later` under the same wrapper once its knob changes.
struct Leaf : View<Leaf> {
    ObservedObject<Knob> knob;
    std::function<AnyView(AnyView)> wrap;
    AnyView later;
    AnyView body() const { return wrap(knob->value.get() == 0 ? AnyView(Text("x")) : later); }
};

// A stack that turns from horizontal to vertical keeps its views; those that follow its axis follow it.
struct Turning : View<Turning> {
    ObservedObject<Knob> knob;
    AnyView body() const {
        const AnyView spacer = AnyView(Spacer()).padding(1);
        const AnyView divider = Group({Divider()});
        if (knob->value.get() == 0) return HStack({spacer, divider, Text("x")});
        return VStack({spacer, divider, Text("x")});
    }
};

// Reports itself unchanged, so no update builds its body again.
struct Unchanged : View<Unchanged> {
    AnyView content;
    AnyView body() const { return content; }
    bool operator==(const Unchanged&) const { return true; }
};

// A spacer (its size shown by its background) and a divider, each under the wrapper in a 20 × 20 frame
// that asks them the same question whichever way their stack runs, beside a text in a stack that turns.
struct TurningAround : View<TurningAround> {
    ObservedObject<Knob> knob;
    std::function<AnyView(AnyView)> wrap;
    AnyView body() const {
        const AnyView spacer = wrap(AnyView(Spacer()).background(Color::gray()).frame(20, 20));
        const AnyView divider = wrap(AnyView(Divider()).frame(20, 20));
        if (knob->value.get() == 0) return HStack({spacer, divider, Text("x")});
        return VStack({spacer, divider, Text("x")});
    }
};

// What a 400 × 300 window of `root` draws after its knob turns to 1 is what a new window draws then.
void expectUpdatedAsNew(const AnyView& root, Knob& knob, const std::string& what) {
    TestHost host(root);
    host.host().displayList();
    knob.value.set(1);
    EXPECT_EQ(describe(host.host().displayList()), testing::drawnByANewWindow(root, {400, 300})) << what;
}

TEST(InheritedLayoutTest, ViewsMadeOrKeptByAnUpdateFollowTheirStackAsInANewWindow) {
    const std::vector<std::pair<const char*, AnyView>> replacements{{"spacer", Spacer()}, {"divider", Divider()}};
    const std::vector<std::pair<const char*, std::function<AnyView(AnyView)>>> wrappers{
        {"user view", [](AnyView v) { return v; }},
        {"group", [](AnyView v) { return AnyView(Group({std::move(v)})); }},
        {"for each", [](AnyView v) { return AnyView(ForEach({{AnyHashable(0), std::move(v)}})); }},
        {"conditional", [](AnyView v) { return If(true, std::move(v)); }},
        {"modifier", [](AnyView v) { return v.padding(2); }},
        {"id", [](AnyView v) { return v.id(AnyHashable(7)); }},
        {"environment reader", [](AnyView v) { return EnvironmentReader([v](const EnvironmentValues&) { return v; }); }},
    };
    for (const bool horizontal : {true, false}) {
        for (const auto& [what, later] : replacements) {
            for (const auto& [wrapper, wrap] : wrappers) {
                auto knob = std::make_shared<Knob>();
                const AnyView leaf = Leaf{{}, {knob}, wrap, later};
                const AnyView square = Rectangle().frame(10, 10);
                const AnyView stack = horizontal ? AnyView(HStack({leaf, square})) : AnyView(VStack({leaf, square}));
                expectUpdatedAsNew(VStack({stack, Text("below")}), *knob,
                                   std::string(what) + " under " + wrapper + " in " + (horizontal ? "an HStack" : "a VStack"));
            }
        }
    }
    auto knob = std::make_shared<Knob>();
    expectUpdatedAsNew(Turning{{}, {knob}}, *knob, "views kept by a stack that turns");
    auto keeping = wrappers;
    keeping.emplace_back("user view reporting itself unchanged", [](AnyView v) { return AnyView(Unchanged{{}, std::move(v)}); });
    for (const auto& [wrapper, wrap] : keeping) {
        knob = std::make_shared<Knob>();
        expectUpdatedAsNew(TurningAround{{}, {knob}, wrap}, *knob, std::string("views kept under ") + wrapper + " by a stack that turns");
    }
}

} // namespace
} // namespace glimmo
