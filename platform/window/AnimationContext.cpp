#include "platform/window/AnimationContext.h"

#include "platform/runtime/RunLoop.h"

#include <algorithm>
#include <cmath>

namespace glimmo {

namespace {
double bezier(double a, double b, double t) {
    // One coordinate of the cubic through 0, a, b, 1.
    const double u = 1 - t;
    return 3 * u * u * t * a + 3 * u * t * t * b + t * t * t;
}
} // namespace

double TimingFunction::value(double t) const {
    t = std::clamp(t, 0.0, 1.0);
    // Solve x(s) = t by bisection: x is monotonic for control x values within [0, 1].
    double lo = 0, hi = 1, s = t;
    for (int i = 0; i < 50; ++i) {
        s = (lo + hi) / 2;
        if (bezier(x1, x2, s) < t) lo = s; else hi = s;
    }
    return bezier(y1, y2, s);
}

class TimedAnimation : public std::enable_shared_from_this<TimedAnimation> {
public:
    TimedAnimation(double duration, TimingFunction timing, std::function<void(double)> step, std::function<void()> done)
        : duration_(duration), timing_(timing), step_(std::move(step)), done_(std::move(done)) {}

    void start() {
        start_ = RunLoop::main().clock().now().secondsSinceReferenceDate;
        std::weak_ptr<TimedAnimation> weak = weak_from_this();
        timer_ = RunLoop::main().scheduleTimer(1.0 / 60, true, [weak] {
            if (auto self = weak.lock()) self->tick();
        });
        self_ = shared_from_this(); // runs on while nobody holds the handle
    }
    void tick() {
        const double elapsed = RunLoop::main().clock().now().secondsSinceReferenceDate - start_;
        if (elapsed >= duration_) { finish(); return; }
        if (step_) step_(timing_.value(elapsed / duration_));
    }
    void finish() {
        if (!running_) return;
        running_ = false;
        if (timer_) timer_->invalidate();
        timer_.reset();
        auto keep = std::move(self_);
        if (step_) step_(1.0);
        if (done_) done_();
    }
    bool running() const { return running_; }

private:
    double duration_;
    TimingFunction timing_;
    std::function<void(double)> step_;
    std::function<void()> done_;
    double start_ = 0;
    bool running_ = true;
    std::shared_ptr<Timer> timer_;
    std::shared_ptr<TimedAnimation> self_;
};

void AnimationHandle::finish() { if (animation_) animation_->finish(); }
bool AnimationHandle::isRunning() const { return animation_ && animation_->running(); }

AnimationHandle animate(double duration, TimingFunction timing, std::function<void(double progress)> step,
                        std::function<void()> completion) {
    auto animation = std::make_shared<TimedAnimation>(duration, timing, std::move(step), std::move(completion));
    if (duration <= 0) {
        animation->finish();
        return AnimationHandle(animation);
    }
    animation->start();
    return AnimationHandle(animation);
}

} // namespace glimmo
