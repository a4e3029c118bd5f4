// What a view learns from the views around it (a spacer or divider follows the axis of its stack) is
// the same for a view made by an update as for one made with a new window.

#include "ViewTestSupport.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
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

using Wrapper = std::pair<const char*, std::function<AnyView(AnyView)>>;

// `userView` and every kind of view that holds one other view, each of which must pass on to it what
// the stack around them tells.
std::vector<Wrapper> wrappers(Wrapper userView) {
    return {std::move(userView),
            {"group", [](AnyView v) { return AnyView(Group({std::move(v)})); }},
            {"for each", [](AnyView v) { return AnyView(ForEach({{AnyHashable(0), std::move(v)}})); }},
            {"conditional", [](AnyView v) { return If(true, std::move(v)); }},
            {"modifier", [](AnyView v) { return v.padding(2); }},
            {"id", [](AnyView v) { return v.id(AnyHashable(7)); }},
            {"environment reader", [](AnyView v) { return EnvironmentReader([v](const EnvironmentValues&) { return v; }); }}};
}

// What a 400 × 300 window of `root` draws after its knob turns to 1 is what a new window draws then.
void expectUpdatedAsNew(const AnyView& root, Knob& knob, const std::string& what) {
    TestHost host(root);
    host.host().displayList();
    knob.value.set(1);
    EXPECT_EQ(describe(host.host().displayList()), testing::drawnByANewWindow(root, {400, 300})) << what;
}

TEST(InheritedLayoutTest, ViewsMadeOrKeptByAnUpdateFollowTheirStackAsInANewWindow) {
    const std::vector<std::pair<const char*, AnyView>> replacements{{"spacer", Spacer()}, {"divider", Divider()}};
    for (const bool horizontal : {true, false}) {
        for (const auto& [what, later] : replacements) {
            for (const auto& [wrapper, wrap] : wrappers({"user view", [](AnyView v) { return v; }})) {
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
}

// Reports itself unchanged, so no update builds its body again.
struct Unchanged : View<Unchanged> {
    AnyView content;
    AnyView body() const { return content; }
    bool operator==(const Unchanged&) const { return true; }
};

// `element` beside a text, in a stack that turns from horizontal to vertical when the knob turns.
struct TurningStack : View<TurningStack> {
    ObservedObject<Knob> knob;
    AnyView element;
    AnyView body() const {
        if (knob->value.get() == 0) return HStack({element, Text("x")});
        return VStack({element, Text("x")});
    }
};

std::string sizeText(CGSize size) {
    std::ostringstream text;
    text << size.width << "x" << size.height;
    return text.str();
}

// The sizes of the fills drawn: the divider's alone, as texts draw none.
std::string dividerDrawn(ViewHost& host) {
    std::string sizes;
    for (const auto& item : host.displayList().items) {
        if (const auto* fill = std::get_if<FillItem>(&item)) sizes += sizeText(fill->path.boundingRect().size);
    }
    return sizes;
}

// A 20 × 20 frame offers a divider and a spacer its square: a divider takes 1 point across the stack's
// axis, a spacer the whole length along it and nothing across.
TEST(InheritedLayoutTest, ADividerAndASpacerUnderAWrapperFollowTheirStackWhenItTurns) {
    const Wrapper unchanged{"user view reporting itself unchanged",
                            [](AnyView v) { return AnyView(Unchanged{{}, std::move(v)}); }};
    for (const auto& [wrapper, wrap] : wrappers(unchanged)) {
        auto knob = std::make_shared<Knob>();
        const AnyView divider = TurningStack{{}, {knob}, wrap(AnyView(Divider()).frame(20, 20))};
        TestHost dividing(divider);
        EXPECT_EQ(dividerDrawn(dividing.host()), sizeText({1, 20})) << "divider under " << wrapper << " in an HStack";
        knob->value.set(1);
        EXPECT_EQ(dividerDrawn(dividing.host()), sizeText({20, 1})) << "divider under " << wrapper << " once it turned";
        EXPECT_EQ(describe(dividing.host().displayList()), testing::drawnByANewWindow(divider, {400, 300})) << wrapper;

        knob = std::make_shared<Knob>();
        TestHost spacing(TurningStack{{}, {knob}, wrap(AnyView(Spacer()).accessibilityLabel("spacer").frame(20, 20))});
        EXPECT_EQ(sizeText(spacing.frame("spacer").size), sizeText({20, 0})) << "spacer under " << wrapper << " in an HStack";
        knob->value.set(1);
        EXPECT_EQ(sizeText(spacing.frame("spacer").size), sizeText({0, 20})) << "spacer under " << wrapper << " once it turned";
    }
}

} // namespace
} // namespace glimmo
