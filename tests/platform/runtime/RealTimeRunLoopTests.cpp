#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/runtime/RealTimeRunLoop.h"

namespace glimmo {
namespace {

TEST(RealTimeRunLoopTest, RunsTimersAndPostedWorkUntilThePredicateHolds) {
    RealTimeRunLoop loop;
    std::vector<int> order;
    (void)loop.scheduleTimer(0.02, false, [&] { order.push_back(2); });
    loop.post([&] { order.push_back(1); });
    EXPECT_TRUE(loop.runUntil([&] { return order.size() == 2; }, 10));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(RealTimeRunLoopTest, RepeatingTimerKeepsFiringUntilInvalidated) {
    RealTimeRunLoop loop;
    int count = 0;
    std::shared_ptr<Timer> timer;
    timer = loop.scheduleTimer(0.001, true, [&] {
        if (++count == 5) timer->invalidate();
    });
    EXPECT_TRUE(loop.runUntil([&] { return !timer->isValid(); }, 10));
    EXPECT_EQ(count, 5);
}

TEST(RealTimeRunLoopTest, RunUntilReturnsFalseAtTheTimeout) {
    RealTimeRunLoop loop;
    EXPECT_FALSE(loop.runUntil([] { return false; }, 0.02));
}

// Waits (bounded) for `finished`; on failure stops the loop so the test ends instead of hanging.
bool finishesInTime(RealTimeRunLoop& loop, const std::atomic<bool>& finished) {
    for (int i = 0; i < 1000 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!finished) loop.stop();
    return finished;
}

TEST(RealTimeRunLoopTest, StopFromAnotherThreadEndsRun) {
    RealTimeRunLoop loop;
    std::atomic<bool> ranOnLoopThread{false};
    std::atomic<bool> runReturned{false};
    std::thread loopThread([&] {
        loop.run();
        runReturned = true;
    });
    std::thread poster([&] { loop.post([&] { ranOnLoopThread = loop.isCurrent(); }); });
    poster.join();
    for (int i = 0; i < 1000 && !ranOnLoopThread; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(runReturned);
    loop.stop();
    EXPECT_TRUE(finishesInTime(loop, runReturned));
    loopThread.join();
    EXPECT_TRUE(ranOnLoopThread);
}

TEST(RealTimeRunLoopTest, StopBeforeRunMakesRunReturnAtOnce) {
    RealTimeRunLoop loop;
    std::atomic<bool> runReturned{false};
    loop.stop();
    std::thread loopThread([&] {
        loop.run();
        runReturned = true;
    });
    const bool returned = finishesInTime(loop, runReturned);
    loopThread.join();
    EXPECT_TRUE(returned);
}

TEST(RealTimeRunLoopTest, TimerScheduledFromTheLoopWakesAWaitingLoop) {
    RealTimeRunLoop loop;
    bool fired = false;
    (void)loop.scheduleTimer(30, false, [] {});  // the loop would otherwise sleep towards this one
    loop.post([&] { (void)loop.scheduleTimer(0.01, false, [&] { fired = true; }); });
    EXPECT_TRUE(loop.runUntil([&] { return fired; }, 10));
}

}  // namespace
}  // namespace glimmo
