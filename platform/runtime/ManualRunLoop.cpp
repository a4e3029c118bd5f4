#include "platform/runtime/ManualRunLoop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/runtime/PredicateRecheck.h"
#include "platform/runtime/TimerQueue.h"
#include "platform/runtime/WorkQueue.h"

namespace glimmo {

namespace {
// Far more than any test needs; reaching it means work that re-posts itself forever.
constexpr std::size_t maximumItemsPerIdleRun = 10'000'000;

std::chrono::steady_clock::time_point deadlineAfter(double seconds) {
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(std::clamp(seconds, 0.0, 1e8)));
}
}  // namespace

struct ManualRunLoop::Impl {
    explicit Impl(Date start) : clock(start) {}

    ManualClock clock;
    std::shared_ptr<detail::TimerQueue> timers = detail::TimerQueue::make();
    detail::WorkQueue work;
    std::atomic<std::thread::id> thread{std::this_thread::get_id()};

    double now() const { return clock.now().secondsSinceReferenceDate; }
    void markCurrent() { thread = std::this_thread::get_id(); }
};

ManualRunLoop::ManualRunLoop(Date start) : impl_(std::make_unique<Impl>(start)) {}

ManualRunLoop::~ManualRunLoop() {
    closeHandles();
    // Release callbacks while the loop is still whole: destroying one may post (a continuation that was
    // never resumed does).
    impl_->timers->invalidateAll();
    impl_->work.discardAll();
}

void ManualRunLoop::post(std::function<void()> work) { impl_->work.post(std::move(work)); }

bool ManualRunLoop::isCurrent() const { return impl_->thread.load() == std::this_thread::get_id(); }

const Clock& ManualRunLoop::clock() const { return impl_->clock; }

std::shared_ptr<Timer> ManualRunLoop::makeTimer(double interval, bool repeats, std::function<void()> fire) {
    return impl_->timers->schedule(impl_->now(), interval, repeats, std::move(fire));
}

std::size_t ManualRunLoop::runUntilIdle() {
    impl_->markCurrent();
    std::size_t count = 0;
    while (impl_->work.runOne() || impl_->timers->fireNext(impl_->now())) {
        if (++count >= maximumItemsPerIdleRun) {
            throw std::runtime_error("ManualRunLoop::runUntilIdle: posted work keeps posting more work (gave up after " +
                                     std::to_string(maximumItemsPerIdleRun) + " items)");
        }
    }
    return count;
}

void ManualRunLoop::advance(double seconds) {
    if (seconds < 0) throw std::invalid_argument("ManualRunLoop::advance: virtual time cannot go backwards");
    advanceTo(clock().now().addingTimeInterval(seconds));
}

void ManualRunLoop::advanceTo(Date date) {
    runUntilIdle();
    for (;;) {
        const auto due = impl_->timers->nextDueTime();
        if (!due || *due > date.secondsSinceReferenceDate) break;
        if (*due > impl_->now()) impl_->clock.set(Date{*due});
        impl_->timers->fireNext(impl_->now());
        runUntilIdle();
    }
    if (date > impl_->clock.now()) impl_->clock.set(date);
    runUntilIdle();
}

bool ManualRunLoop::runUntil(const std::function<bool()>& predicate, double realTimeoutSeconds) {
    const auto deadline = deadlineAfter(realTimeoutSeconds);
    for (;;) {
        runUntilIdle();
        if (predicate()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return predicate();
        impl_->work.waitUntil(std::min(deadline, now + predicateRecheckInterval));
    }
}

bool ManualRunLoop::driveUntil(const std::function<bool()>& done, double realTimeoutSeconds) {
    return runUntil(done, realTimeoutSeconds);
}

std::size_t ManualRunLoop::scheduledTimerCount() const { return impl_->timers->count(); }

std::optional<Date> ManualRunLoop::nextTimerDate() const {
    const auto due = impl_->timers->nextDueTime();
    if (!due) return std::nullopt;
    return Date{*due};
}

}  // namespace glimmo
