#pragma once

#include <functional>
#include <memory>

#include "platform/runtime/RunLoop.h"

namespace glimmo {

// A run loop on the system clock for command-line tools and I/O tests. post() and stop() are
// thread-safe; the loop runs on the thread that calls run(), runUntil() or driveUntil().
class RealTimeRunLoop final : public RunLoop {
public:
    RealTimeRunLoop();
    ~RealTimeRunLoop() override;
    RealTimeRunLoop(const RealTimeRunLoop&) = delete;
    RealTimeRunLoop& operator=(const RealTimeRunLoop&) = delete;

    void post(std::function<void()> work) override;
    bool isCurrent() const override;
    const Clock& clock() const override;

    // Runs until stop() is called. A stop() that arrives before run() makes the next run() return at once.
    void run();
    void stop();

    // Runs until `predicate()` holds (returns true) or `timeoutSeconds` pass (returns false). While it
    // waits it looks at the predicate again every few milliseconds, so a condition set by another thread
    // is seen without a post.
    bool runUntil(const std::function<bool()>& predicate, double timeoutSeconds);
    bool driveUntil(const std::function<bool()>& done, double realTimeoutSeconds) override;

protected:
    std::shared_ptr<Timer> makeTimer(double interval, bool repeats, std::function<void()> fire) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace glimmo
