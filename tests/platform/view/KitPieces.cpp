#include "KitPieces.h"

#include "platform/view/Structure.h"
#include "platform/view/Text.h"
#include "platform/view/Label.h"

#include <utility>

namespace glimmo::testing {

void OutsideState::set(int next) {
    value = next;
    for (const auto& binding : bindings) binding.set(next);
}

namespace kit {

std::string words(int v) {
    return std::string(static_cast<std::size_t>(1 + v % 5), 'w') + (v % 3 == 0 ? " and more words to wrap" : "") + " " + std::to_string(v);
}

CGFloat small(int v, CGFloat base) { return base + static_cast<CGFloat>(v % 4) * 3; }

Color color(World& w) {
    static const std::vector<Color> all{Color::blue(), Color::red(), Color::green(), Color::gray(), Color::clear()};
    return all[static_cast<std::size_t>(w.below(static_cast<int>(all.size())))];
}

Alignment alignment(World& w) {
    static const std::vector<Alignment> all{Alignment::center(), Alignment::topLeading(), Alignment::bottomTrailing(),
                                            Alignment::leading(), Alignment::top()};
    return all[static_cast<std::size_t>(w.below(static_cast<int>(all.size())))];
}

AnyShape shape(World& w) {
    switch (w.below(3)) {
    case 0: return AnyShape(Rectangle());
    case 1: return AnyShape(Circle());
    default: return AnyShape(RoundedRectangle(4));
    }
}

Binding<int> knobBinding(const Scope& s) {
    auto knob = s.knob;
    return Binding<int>([knob] { return knob->value.get(); }, [knob](int v) { knob->value.set(v); });
}

Piece labelPiece(World& w) {
    switch (w.below(3)) {
    case 0: return [](const Scope& s) { return AnyView(Text("tap " + std::to_string(s.v % 4))); };
    case 1: return [](const Scope&) { return AnyView(Label("Gear", "gear")); };
    default: return [](const Scope& s) { return AnyView(Rectangle().fill(Color::orange()).frame(small(s.v, 8), 8)); };
    }
}

std::vector<std::size_t> shownOrder(std::size_t count, int v) {
    const std::size_t shown = count - (count > 1 && v % 2 == 1 ? 1 : 0);
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < shown; ++i) order.push_back(v % 3 == 2 ? shown - 1 - i : i);
    return order;
}

std::vector<AnyView> build(const std::vector<Piece>& pieces, const Scope& s) {
    std::vector<AnyView> out;
    for (const auto& p : pieces) out.push_back(p(s));
    return out;
}

} // namespace kit
} // namespace glimmo::testing
