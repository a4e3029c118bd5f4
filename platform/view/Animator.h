#pragma once

// Short interpolations of frames and opacity for changes made under an animation (internal to the
// kit). Layout and hit testing always use the final values; only drawing shows the values in between.

#include "platform/view/Animation.h"
#include "platform/view/Geometry.h"

#include <optional>

namespace glimmo {

// Progress of an animation of `duration` seconds started at `start`, eased by its curve: 0...1.
double animationProgress(const Animation& animation, double start, double now);

// A value moving from `from` to `to` along an animation.
template <class T>
struct Interpolation {
    T from;
    T to;
    Animation animation;
    double start = 0;
    bool finished(double now) const { return now >= start + animation.duration; }
};

CGRect interpolate(const CGRect& a, const CGRect& b, double t);
double interpolate(double a, double b, double t);

// The animation that changes made right now should use: the one of withAnimation around the caller,
// else the one of the update being run; none when animations are disabled or there is no main loop
// to drive them.
std::optional<Animation> animationForChange(const Transaction& updateTransaction);
// Seconds on the main loop's clock.
double animationClock();

} // namespace glimmo
