#include "platform/runtime/RealTimeRunLoop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/runtime/PredicateRecheck.h"
#include "platform/runtime/TimerQueue.h"
#include "platform/runtime/WorkQueue.h"

namespace glimmo {

namespace {
using SteadyClock = std::chrono::steady_clock;

// Timers run on the steady clock so that a change of the wall clock neither fires nor stalls them.
double steadySeconds(SteadyClock::time_point time) {
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

enum class Outcome { satisfied, stopped, timedOut };


SteadyClock::time_point steadyTimePoint(double seconds) {
    return SteadyClock::time_point(
        std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds)));
}
}  // namespace

struct RealTimeRunLoop::Impl {
    std::shared_ptr<detail::TimerQueue> timers = detail::TimerQueue::make();
    detail::WorkQueue work;
    std::atomic<std::thread::id> thread{std::this_thread::get_id()};

    Outcome runUntil(const std::function<bool()>* predicate, SteadyClock::time_point deadline) {
        thread = std::this_thread::get_id();
        const auto satisfied = [predicate] { return predicate && (*predicate)(); };
        for (;;) {
            if (satisfied()) return Outcome::satisfied;
            if (work.takeStopRequest()) return Outcome::stopped;
            const bool ranWork = work.runOne();
            const bool firedTimer = timers->fireNext(steadySeconds(SteadyClock::now()));
            if (ranWork || firedTimer) continue;

            const auto now = SteadyClock::now();
            if (now >= deadline) return satisfied() ? Outcome::satisfied : Outcome::timedOut;
            auto wakeAt = deadline;
            if (const auto due = timers->nextDueTime()) wakeAt = std::min(wakeAt, steadyTimePoint(*due));
            if (predicate) wakeAt = std::min(wakeAt, now + predicateRecheckInterval);
            work.waitUntil(wakeAt);
        }
    }
};

RealTimeRunLoop::RealTimeRunLoop() : impl_(std::make_unique<Impl>()) {}

RealTimeRunLoop::~RealTimeRunLoop() {
    closeHandles();
    // Release callbacks while the loop is still whole: destroying one may post (a continuation that was
    // never resumed does).
    impl_->timers->invalidateAll();
    impl_->work.discardAll();
}

void RealTimeRunLoop::post(std::function<void()> work) { impl_->work.post(std::move(work)); }

bool RealTimeRunLoop::isCurrent() const { return impl_->thread.load() == std::this_thread::get_id(); }

const Clock& RealTimeRunLoop::clock() const { return SystemClock::shared(); }

std::shared_ptr<Timer> RealTimeRunLoop::makeTimer(double interval, bool repeats, std::function<void()> fire) {
    auto timer = impl_->timers->schedule(steadySeconds(SteadyClock::now()), interval, repeats, std::move(fire));
    impl_->work.wake();  // a loop waiting for a later timer must wake for this one
    return timer;
}

void RealTimeRunLoop::run() {
    // A day at a time: "until stopped" without a deadline that could overflow the wait.
    while (impl_->runUntil(nullptr, SteadyClock::now() + std::chrono::hours(24)) != Outcome::stopped) {
    }
}

void RealTimeRunLoop::stop() { impl_->work.requestStop(); }

bool RealTimeRunLoop::runUntil(const std::function<bool()>& predicate, double timeoutSeconds) {
    const auto deadline = SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(
                                                   std::chrono::duration<double>(std::clamp(timeoutSeconds, 0.0, 1e8)));
    return impl_->runUntil(&predicate, deadline) == Outcome::satisfied;
}

bool RealTimeRunLoop::driveUntil(const std::function<bool()>& done, double realTimeoutSeconds) {
    return runUntil(done, realTimeoutSeconds);
}

}  // namespace glimmo
