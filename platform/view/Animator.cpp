#include "platform/view/Animator.h"

#include "platform/runtime/RunLoop.h"

#include <algorithm>

namespace glimmo {

double animationProgress(const Animation& animation, double start, double now) {
    if (animation.duration <= 0) return 1;
    const double t = std::clamp((now - start) / animation.duration, 0.0, 1.0);
    switch (animation.curve) {
    case Animation::Curve::linear: return t;
    case Animation::Curve::easeIn: return t * t;
    case Animation::Curve::easeOut:
    case Animation::Curve::spring: return 1 - (1 - t) * (1 - t);
    case Animation::Curve::easeInOut: return t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t);
    }
    return t;
}

double interpolate(double a, double b, double t) { return a + (b - a) * t; }

CGRect interpolate(const CGRect& a, const CGRect& b, double t) {
    return {interpolate(a.minX(), b.minX(), t), interpolate(a.minY(), b.minY(), t), interpolate(a.width(), b.width(), t),
            interpolate(a.height(), b.height(), t)};
}

std::optional<Animation> animationForChange(const Transaction& updateTransaction) {
    if (!RunLoop::hasMain()) return std::nullopt;
    const Transaction& current = currentTransaction();
    if (current.disablesAnimations || updateTransaction.disablesAnimations) return std::nullopt;
    if (current.animation) return current.animation;
    return updateTransaction.animation;
}

double animationClock() { return RunLoop::hasMain() ? RunLoop::main().now().secondsSinceReferenceDate : 0; }

} // namespace glimmo
