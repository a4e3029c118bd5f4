#pragma once

// Random windows made of every kind of view and modifier the kit offers, for the consistency test. Every
// kind the generator can make is in one list, `kinds()`; the test holds that list against the table of
// node kinds the kit registers (NodeKinds.h).
//
// A window is a tree of pieces. A piece builds its view from the value of the nearest knob above it,
// which a user view (a "switch") observes: setting a knob evaluates that user view again, which may
// then show another of its alternatives, other sizes, texts and ids. Besides knobs, a window changes
// through state set from outside, clicks on its buttons and toggles, and its size.

#include "platform/runtime/Observable.h"
#include "platform/view/State.h"
#include "platform/view/View.h"

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace glimmo::testing {

struct Knob : ObservableObject {
    Published<int> value{*this, 0};
};

// State that changes from outside the views (as a reply arriving would): each view holding such state
// starts from `value` and hands out a binding that the test sets. Views made for the new window a change
// is compared with start from `value` as well and hand out nothing.
struct OutsideState {
    int value = 0;
    bool recording = true;
    std::vector<Binding<int>> bindings;
    void set(int next);
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
