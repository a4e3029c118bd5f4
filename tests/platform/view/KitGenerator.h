#pragma once

// Random windows made of every kind of view and modifier the kit offers, for the consistency test. Every
// kind the generator can make is in one list, `kinds()`; the test holds that list against the table of
// node kinds the kit registers (NodeKinds.h).
//
// A window is a tree of pieces. A piece builds its view from the value of the nearest knob above it,
// which a user view (a "switch") observes: setting a knob evaluates that user view again, which may
// then show another of its alternatives, other sizes, texts and ids. Besides knobs, a window changes
// through state set from outside, clicks on its buttons and toggles, and its size.

#include "ViewTestSupport.h"

#include "platform/view/Alignment.h"
#include "platform/view/Shapes.h"
#include "platform/view/State.h"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace glimmo::testing {

// State that changes from outside the views (as a reply arriving would): each view holding such state
// starts from `value` and hands out a binding that the test sets. Views made for the new window a change
// is compared with start from `value` as well and hand out nothing.
struct OutsideState {
    int value = 0;
    bool recording = true;
    std::vector<Binding<int>> bindings;
    void set(int next) {
        value = next;
        for (const auto& binding : bindings) binding.set(next);
    }
};

// What the views of one window share with the test that drives it.
struct World {
    explicit World(unsigned seed) : random(seed) {}
    std::mt19937 random;
    std::vector<std::shared_ptr<Knob>> knobs;
    std::shared_ptr<OutsideState> outside = std::make_shared<OutsideState>();
    int piecesLeft = 0;
    bool presenting = false; // a view that presents a layer was made
    int below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    bool chance(int percent) { return below(100) < percent; }
};

// Where a piece is built: the value of the nearest knob above it, and that knob.
struct Scope {
    int v = 0;
    std::shared_ptr<Knob> knob;
};
using Piece = std::function<AnyView(const Scope&)>;

struct Kind {
    enum class Holds : std::uint8_t { nothing, one, several };
    const char* name;
    Holds holds;
    // Makes the piece from the pieces it holds (none, one, or one to four), drawing its parameters
    // from the world's random numbers.
    std::function<Piece(World&, std::vector<Piece>)> make;
};

const std::vector<Kind>& kinds();

// The whole window: a user view with the first knob, holding a random tree of about `pieces` pieces.
AnyView randomWindow(World& world, int pieces);

// The label that marks the views a test may click (buttons and toggles).
inline constexpr const char* clickableLabel = "clickable";

} // namespace glimmo::testing

// What the kinds share.
namespace glimmo::testing::kit {

// An environment value of the tests' own.
struct ShadeKey {
    using Value = int;
    static Value defaultValue() { return 0; }
};

// A user view that shows one of its alternatives, chosen by its knob, built with the knob's value.
struct Switch : View<Switch> {
    ObservedObject<Knob> knob;
    std::shared_ptr<const std::vector<Piece>> alternatives;
    AnyView body() const {
        const int v = knob->value.get();
        return (*alternatives)[static_cast<std::size_t>(v) % alternatives->size()](Scope{v, knob.get()});
    }
};

// A length a little larger than `base`, by `v`.
inline CGFloat small(int v, CGFloat base) { return base + static_cast<CGFloat>(v % 4) * 3; }

// What draws a kind's parameters from the world's random numbers when a piece is made, one each.
template <class T>
T pick(World& w, std::initializer_list<T> from) {
    return from.begin()[w.below(static_cast<int>(from.size()))];
}
inline auto below(int n) { return [n](World& w) { return w.below(n); }; }
inline auto chance(int percent) { return [percent](World& w) { return w.chance(percent); }; }
inline Color color(World& w) { return pick(w, {Color::blue(), Color::red(), Color::green(), Color::gray(), Color::clear()}); }
inline Alignment alignment(World& w) {
    return pick(w, {Alignment::center(), Alignment::topLeading(), Alignment::bottomTrailing(), Alignment::leading(), Alignment::top()});
}
inline AnyShape shape(World& w) {
    const int which = w.below(3);
    return which == 0 ? AnyShape(Rectangle()) : which == 1 ? AnyShape(Circle()) : AnyShape(RoundedRectangle(4));
}
template <class... Drawers>
std::tuple<Drawers...> draws(Drawers... drawers) {
    return {drawers...};
}

// `show(parameters..., what it is built from)`: the scope (a view holding nothing), the view it holds
// built in the scope and the scope's value (a modifier), or the pieces it holds and the scope.
template <class Show, class... P>
AnyView shown(const Show& show, const std::tuple<P...>& parameters, const std::vector<Piece>& held, const Scope& s) {
    return std::apply(
        [&](const P&... p) -> AnyView {
            if constexpr (std::is_invocable_v<const Show&, const P&..., const Scope&>) return show(p..., s);
            else if constexpr (std::is_invocable_v<const Show&, const P&..., AnyView, int>) return show(p..., held.front()(s), s.v);
            else return show(p..., held, s);
        },
        parameters);
}

// A kind whose pieces are shown by `show`, with parameters drawn in order when a piece is made.
template <class Show, class... Drawers>
Kind kind(const char* name, Kind::Holds holds, std::tuple<Drawers...> drawers, Show show) {
    return {name, holds, [drawers, show](World& w, std::vector<Piece> held) -> Piece {
                auto parameters = std::apply([&w](const auto&... draw) { return std::tuple{draw(w)...}; }, drawers);
                return [held = std::move(held), show, parameters](const Scope& s) { return shown(show, parameters, held, s); };
            }};
}
template <class Show>
Kind kind(const char* name, Kind::Holds holds, Show show) {
    return kind(name, holds, draws(), std::move(show));
}
template <class... A> Kind leaf(const char* name, A... a) { return kind(name, Kind::Holds::nothing, std::move(a)...); }
template <class... A> Kind modifier(const char* name, A... a) { return kind(name, Kind::Holds::one, std::move(a)...); }

// What `kinds()` is made of.
std::vector<Kind> viewKinds();
std::vector<Kind> modifierKinds();

} // namespace glimmo::testing::kit
