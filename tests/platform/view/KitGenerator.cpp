#include "KitGenerator.h"

#include <algorithm>
#include <string>
#include <utility>

namespace glimmo::testing {
namespace {

using Holds = Kind::Holds;

Piece generate(World& w, int depth) {
    static const auto byHolding = [] {
        std::vector<std::vector<const Kind*>> out(3);
        for (const Kind& k : kinds()) out[static_cast<std::size_t>(k.holds)].push_back(&k);
        return out;
    }();
    static const Kind& switchKind =
        *std::find_if(kinds().begin(), kinds().end(), [](const Kind& k) { return k.name == std::string("switch"); });
    --w.piecesLeft;
    // Near the root always something that holds views; switches more often than any other kind, as
    // their knobs are what changes.
    const int roll = w.below(100);
    Holds holds = roll < 18 ? Holds::nothing : roll < 60 ? Holds::one : Holds::several;
    if (holds == Holds::nothing && depth > 5) holds = Holds::several;
    if (depth <= 0 || w.piecesLeft <= 0) holds = Holds::nothing;
    const auto& choices = byHolding[static_cast<std::size_t>(holds)];
    const Kind& kind = holds == Holds::several && w.chance(25) ? switchKind
                                                              : *choices[static_cast<std::size_t>(w.below(static_cast<int>(choices.size())))];
    std::vector<Piece> held;
    if (holds == Holds::one) held.push_back(generate(w, depth - 1));
    if (holds == Holds::several) {
        const int count = 1 + w.below(4);
        for (int i = 0; i < count; ++i) held.push_back(generate(w, depth - 1));
    }
    return kind.make(w, std::move(held));
}

} // namespace

const std::vector<Kind>& kinds() {
    static const std::vector<Kind> all = [] {
        std::vector<Kind> made = kit::viewKinds();
        for (Kind& k : kit::modifierKinds()) made.push_back(std::move(k));
        return made;
    }();
    return all;
}

AnyView randomWindow(World& world, int pieces) {
    world.piecesLeft = pieces;
    auto knob = std::make_shared<Knob>();
    world.knobs.push_back(knob);
    std::vector<Piece> alternatives;
    const int count = 1 + world.below(3);
    for (int i = 0; i < count; ++i) alternatives.push_back(generate(world, 7));
    return kit::Switch{{}, {knob}, std::make_shared<const std::vector<Piece>>(std::move(alternatives))};
}

} // namespace glimmo::testing
