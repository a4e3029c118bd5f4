#pragma once

// Timed animations on the main run loop: a group runs its steps with the eased progress from 0 to 1
// over its duration, at about 60 frames a second, then its completion. Plain C++ over RunLoop::main(),
// so tests on a manual loop advance animations with the clock.

#include <functional>
#include <memory>

namespace glimmo {

// A cubic timing curve through (0, 0), (x1, y1), (x2, y2), (1, 1).
struct TimingFunction {
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
    static TimingFunction linear() { return {0, 0, 1, 1}; }
    static TimingFunction easeInEaseOut() { return {0.42, 0, 0.58, 1}; }
    // The curve's y for time fraction t in [0, 1].
    double value(double t) const;
};

class TimedAnimation;

// Starts an animation; the returned handle finishes it at once when asked (the final step and the
// completion run then). Dropping the handle lets the animation run on.
class AnimationHandle {
public:
    AnimationHandle() = default;
    explicit AnimationHandle(std::shared_ptr<TimedAnimation> animation) : animation_(std::move(animation)) {}
    void finish();
    bool isRunning() const;

private:
    std::shared_ptr<TimedAnimation> animation_;
};

AnimationHandle animate(double duration, TimingFunction timing, std::function<void(double progress)> step,
                        std::function<void()> completion = {});

} // namespace glimmo
