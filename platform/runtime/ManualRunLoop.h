#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "platform/runtime/Clock.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {

// A run loop on virtual time for tests. Nothing runs until the test drives the loop: runUntilIdle runs
// posted work (and timers due now), advance moves the virtual clock forward firing due timers in time
// order, runUntil waits in real time for work posted from other threads. post() is thread-safe; the
// other members are called from the test's thread.
class ManualRunLoop final : public RunLoop {
public:
    explicit ManualRunLoop(Date start = Date{});
    ~ManualRunLoop() override;
    ManualRunLoop(const ManualRunLoop&) = delete;
    ManualRunLoop& operator=(const ManualRunLoop&) = delete;

    void post(std::function<void()> work) override;
    bool isCurrent() const override;
    const Clock& clock() const override;

    // Runs posted work and timers due at the current virtual time until there is none left; returns how
    // many items ran. Throws std::runtime_error if work keeps posting work without end.
    std::size_t runUntilIdle();

    // Moves virtual time forward by `seconds`, firing each due timer at its own time (repeating timers
    // fire once per period) and running the work posted meanwhile at that time.
    void advance(double seconds);
    void advanceTo(Date date);

    // Runs posted work and due timers without moving virtual time, waiting in real time for posts from
    // other threads, until `predicate()` holds or `realTimeoutSeconds` pass. While it waits it looks at
    // the predicate again every few milliseconds, so a condition set by another thread is seen without
    // a post. Returns `predicate()`.
    bool runUntil(const std::function<bool()>& predicate, double realTimeoutSeconds);

    // The same as runUntil: virtual time moves only with advance(), so a task sleeping on a timer does not
    // finish under runBlocking until the test advances the clock.
    bool driveUntil(const std::function<bool()>& done, double realTimeoutSeconds) override;

    std::size_t scheduledTimerCount() const;
    std::optional<Date> nextTimerDate() const;

protected:
    std::shared_ptr<Timer> makeTimer(double interval, bool repeats, std::function<void()> fire) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace glimmo
