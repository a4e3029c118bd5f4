#pragma once

// What the generator's kinds share: a preference and an environment value of the tests' own, the user
// view that switches between alternatives, and helpers that draw parameters.

#include "KitGenerator.h"

#include "platform/view/Alignment.h"
#include "platform/view/Preferences.h"
#include "platform/view/Shapes.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glimmo::testing::kit {

// A preference summed over the subtree, and one gathering the bounds of the views that set it.
struct SumKey {
    using Value = int;
    static Value defaultValue() { return 0; }
    static void reduce(Value& value, const std::function<Value()>& next) { value += next(); }
};
struct BoundsKey {
    using Value = std::vector<Anchor<CGRect>>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& next) {
        for (const auto& a : next()) value.push_back(a);
    }
};
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

// A text of a few words, longer or shorter with `v`.
std::string words(int v);
// A length a little larger than `base`, by `v`.
CGFloat small(int v, CGFloat base);
Color color(World& w);
Alignment alignment(World& w);
AnyShape shape(World& w);
// A binding to the knob of `s`.
Binding<int> knobBinding(const Scope& s);
// A leaf for the label of a button: nothing in it takes clicks.
Piece labelPiece(World& w);
// One element per held piece, some of them left out and reordered by the knob's value.
std::vector<std::size_t> shownOrder(std::size_t count, int v);
std::vector<AnyView> build(const std::vector<Piece>& pieces, const Scope& s);

// The kinds of views, then those of modifiers.
std::vector<Kind> viewKinds();
std::vector<Kind> modifierKinds();

} // namespace glimmo::testing::kit
