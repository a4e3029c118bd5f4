#pragma once

// Animations and transactions. Changes made under an animation (withAnimation, or an update caused by
// such a change) draw their frames and opacities moving from the old values to the new ones over the
// animation's duration, on the main loop's clock, and views inserted by such a change fade in; layout
// and hit testing use the new values at once. Everything else (removals included) changes instantly. The transaction is also readable by views (`transaction`
// modifier) and reported by the host for the update the change caused.

#include <cstdint>
#include <functional>
#include <optional>

namespace glimmo {

struct Animation {
    enum class Curve : std::uint8_t { linear, easeIn, easeOut, easeInOut, spring };
    Curve curve = Curve::easeInOut;
    double duration = 0.35;

    static Animation defaultAnimation() { return {}; }
    static Animation linear(double d = 0.35) { return {Curve::linear, d}; }
    static Animation easeIn(double d = 0.35) { return {Curve::easeIn, d}; }
    static Animation easeOut(double d = 0.35) { return {Curve::easeOut, d}; }
    static Animation easeInOut(double d = 0.35) { return {Curve::easeInOut, d}; }
    static Animation spring(double response = 0.5) { return {Curve::spring, response}; }
    bool operator==(const Animation&) const = default;
};

struct Transaction {
    std::optional<Animation> animation;
    bool disablesAnimations = false;
    bool operator==(const Transaction&) const = default;
};

// Runs `body` with `transaction` as the current one: state changes made in it carry it into the update
// they cause.
void withTransaction(const Transaction& transaction, const std::function<void()>& body);
void withAnimation(std::optional<Animation> animation, const std::function<void()>& body);
inline void withAnimation(const std::function<void()>& body) { withAnimation(Animation::defaultAnimation(), body); }
// The transaction state changes are made under right now (empty outside withTransaction).
const Transaction& currentTransaction();

} // namespace glimmo
