#pragma once

#include <functional>
#include <memory>
#include <type_traits>

#include "platform/runtime/Clock.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Executor.h"

namespace glimmo {

// A scheduled timer. The run loop keeps it alive until it is invalidated or, when it does not repeat,
// until it has fired; dropping the handle does not stop it.
class Timer {
public:
    virtual ~Timer() = default;
    // Stops the timer; safe to call from its own callback and more than once.
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// The run loop of a thread: posted work and timers. The application's loop is Qt's event loop; tests use
// ManualRunLoop (virtual time) or RealTimeRunLoop. An implementation provides post, isCurrent, clock and
// makeTimer; everything else is built on those.
class RunLoop : public Executor {
public:
    // Fires `fire` after `interval` seconds, and every `interval` seconds after that when `repeats`.
    // Intervals below 0.1 ms are raised to 0.1 ms. Call on the loop's thread.
    std::shared_ptr<Timer> scheduleTimer(double interval, bool repeats, std::function<void()> fire);

    // As above, but the timer holds `target` weakly: it fires only while the target lives and invalidates
    // itself the first time it finds the target gone.
    template <class Target>
    std::shared_ptr<Timer> scheduleTimer(double interval, bool repeats, std::weak_ptr<Target> target,
                                         std::type_identity_t<std::function<void(Target&)>> fire);

    virtual const Clock& clock() const = 0;
    Date now() const { return clock().now(); }

    // Runs this loop from the calling thread until `done()` is true or `realTimeoutSeconds` of real time
    // have passed; returns whether `done()` became true. Loops that cannot be driven by a caller (an
    // external event loop) throw std::logic_error. Used by runBlocking.
    virtual bool driveUntil(const std::function<bool()>& done, double realTimeoutSeconds);

    // The application's main loop. main() throws std::logic_error until one is installed. Another
    // thread posts with postToMain, never through main(): the loop may be replaced meanwhile.
    static RunLoop& main();
    static bool hasMain();
    // Posts to the main loop, from any thread; returns false (dropping `work`) when none is installed.
    // The loop cannot go while the work is handed to it.
    static bool postToMain(std::function<void()> work);
    // Installs (or, with nullptr, removes) the main loop; the application does this once, tests per case.
    static void setMain(std::shared_ptr<RunLoop> loop);

    static constexpr double minimumTimerInterval = 0.0001;

protected:
    // Implementations schedule a timer whose interval is already at least minimumTimerInterval.
    virtual std::shared_ptr<Timer> makeTimer(double interval, bool repeats, std::function<void()> fire) = 0;
};

template <class Target>
std::shared_ptr<Timer> RunLoop::scheduleTimer(double interval, bool repeats, std::weak_ptr<Target> target,
                                              std::type_identity_t<std::function<void(Target&)>> fire) {
    auto self = std::make_shared<std::weak_ptr<Timer>>();
    auto timer = scheduleTimer(interval, repeats, [target = std::move(target), fire = std::move(fire), self] {
        if (auto strongTarget = target.lock()) {
            fire(*strongTarget);
        } else if (auto timer = self->lock()) {
            timer->invalidate();
        }
    });
    *self = timer;
    return timer;
}

}  // namespace glimmo
