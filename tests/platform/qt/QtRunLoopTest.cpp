#include "platform/qt/QtRunLoop.h"

#include "platform/runtime/Task.h"
#include "tests/platform/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

namespace glimmo {
namespace {

class QtRunLoopTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ensureQtApplication(); }
    QtRunLoop loop;
};

TEST_F(QtRunLoopTest, WorkPostedFromOtherThreadsRunsOnTheLoopThreadInPostingOrder) {
    constexpr int perThread = 200;
    std::vector<int> first, second;
    std::atomic<int> offThreadRuns{0};
    std::atomic<int> finished{0};
    const auto producer = [&](std::vector<int>& into) {
        for (int i = 0; i < perThread; ++i) {
            loop.post([&, i] {
                if (!loop.isCurrent()) ++offThreadRuns;
                into.push_back(i);
                ++finished;
            });
        }
    };
    std::thread a(producer, std::ref(first));
    std::thread b(producer, std::ref(second));
    a.join();
    b.join();
    EXPECT_FALSE(finished.load()) << "posted work must not run before the loop turns";
    ASSERT_TRUE(loop.driveUntil([&] { return finished == 2 * perThread; }, 10));
    EXPECT_EQ(offThreadRuns, 0);
    ASSERT_EQ(first.size(), std::size_t{perThread});
    ASSERT_EQ(second.size(), std::size_t{perThread});
    for (int i = 0; i < perThread; ++i) {
        EXPECT_EQ(first[i], i);
        EXPECT_EQ(second[i], i);
    }
}

TEST_F(QtRunLoopTest, IsCurrentOnlyOnTheLoopThread) {
    EXPECT_TRUE(loop.isCurrent());
    bool onOtherThread = true;
    std::thread([&] { onOtherThread = loop.isCurrent(); }).join();
    EXPECT_FALSE(onOtherThread);
}

TEST_F(QtRunLoopTest, OneShotTimerFiresOnceAndEndsInvalid) {
    int fired = 0;
    const auto timer = loop.scheduleTimer(0.01, false, [&] { ++fired; });
    EXPECT_TRUE(timer->isValid());
    ASSERT_TRUE(loop.driveUntil([&] { return fired > 0; }, 5));
    // Give a wrongly repeating timer the chance to fire again.
    bool settled = false;
    loop.scheduleTimer(0.05, false, [&] { settled = true; });
    ASSERT_TRUE(loop.driveUntil([&] { return settled; }, 5));
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST_F(QtRunLoopTest, TimersFireInOrderOfDueTime) {
    std::vector<int> order;
    loop.scheduleTimer(0.06, false, [&] { order.push_back(3); });
    loop.scheduleTimer(0.001, false, [&] { order.push_back(1); });
    loop.scheduleTimer(0.03, false, [&] { order.push_back(2); });
    ASSERT_TRUE(loop.driveUntil([&] { return order.size() == 3; }, 5));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(QtRunLoopTest, RepeatingTimerRepeatsUntilItInvalidatesItselfInItsCallback) {
    int fired = 0;
    std::shared_ptr<Timer> timer;
    timer = loop.scheduleTimer(0.005, true, [&] {
        if (++fired == 3) timer->invalidate();
    });
    ASSERT_TRUE(loop.driveUntil([&] { return !timer->isValid(); }, 5));
    bool settled = false;
    loop.scheduleTimer(0.05, false, [&] { settled = true; });
    ASSERT_TRUE(loop.driveUntil([&] { return settled; }, 5));
    EXPECT_EQ(fired, 3);
}

TEST_F(QtRunLoopTest, InvalidatedTimerNeverFiresAndOthersStillDo) {
    bool cancelledFired = false;
    bool otherFired = false;
    const auto cancelled = loop.scheduleTimer(0.01, false, [&] { cancelledFired = true; });
    loop.scheduleTimer(0.04, false, [&] { otherFired = true; });
    cancelled->invalidate();
    cancelled->invalidate(); // harmless twice
    EXPECT_FALSE(cancelled->isValid());
    ASSERT_TRUE(loop.driveUntil([&] { return otherFired; }, 5));
    EXPECT_FALSE(cancelledFired);
}

TEST_F(QtRunLoopTest, TimerScheduledFromAnotherThreadFires) {
    std::atomic<bool> fired{false};
    std::thread([&] { loop.scheduleTimer(0.01, false, [&] { fired = loop.isCurrent(); }); }).join();
    ASSERT_TRUE(loop.driveUntil([&] { return fired.load(); }, 5));
}

TEST_F(QtRunLoopTest, TimerWithWeakTargetStopsOnceTheTargetIsGone) {
    auto target = std::make_shared<int>(0);
    const auto timer = loop.scheduleTimer<int>(0.005, true, std::weak_ptr<int>(target), [](int& count) { ++count; });
    ASSERT_TRUE(loop.driveUntil([&] { return *target >= 2; }, 5));
    target.reset();
    ASSERT_TRUE(loop.driveUntil([&] { return !timer->isValid(); }, 5));
}

TEST_F(QtRunLoopTest, TimersKeepFiringWhileATimerCallbackWaitsInANestedLoop) {
    bool laterFired = false;
    bool nestedSawIt = false;
    bool outerDone = false;
    loop.scheduleTimer(0.001, false, [&] {
        nestedSawIt = loop.driveUntil([&] { return laterFired; }, 5);
        outerDone = true;
    });
    loop.scheduleTimer(0.03, false, [&] { laterFired = true; });
    ASSERT_TRUE(loop.driveUntil([&] { return outerDone; }, 10));
    EXPECT_TRUE(nestedSawIt);
}

TEST_F(QtRunLoopTest, DriveUntilGivesUpAfterItsTimeoutAndOnlyRunsOnTheLoopThread) {
    EXPECT_FALSE(loop.driveUntil([] { return false; }, 0.05));
    bool threw = false;
    std::thread([&] {
        try {
            loop.driveUntil([] { return true; }, 1);
        } catch (const std::logic_error&) {
            threw = true;
        }
    }).join();
    EXPECT_TRUE(threw);
}

TEST_F(QtRunLoopTest, TasksSleepOnTheLoopsTimersUnderRunBlocking) {
    const auto task = []() -> Task<int> {
        co_await sleepFor(0.02);
        co_return 42;
    };
    const Date before = loop.now();
    EXPECT_EQ(runBlocking(loop, task(), 10), 42);
    EXPECT_GE(loop.now().timeIntervalSince(before), 0.015);
}

TEST_F(QtRunLoopTest, RunBlockingCancelsATaskThatOutlivesItsTimeout) {
    const auto task = []() -> Task<void> { co_await sleepFor(60); };
    EXPECT_THROW(runBlocking(loop, task(), 0.05), RunBlockingTimeout);
    EXPECT_EQ(loop.scheduledTimerCount(), 0u) << "the cancelled sleep must release its timer";
}

TEST(QtRunLoopLifetimeTest, WorkStillQueuedWhenTheLoopIsDestroyedIsDropped) {
    testing::ensureQtApplication();
    auto ran = std::make_shared<bool>(false);
    {
        QtRunLoop shortLived;
        shortLived.post([ran] { *ran = true; });
        shortLived.scheduleTimer(0.001, false, [ran] { *ran = true; });
    }
    QtRunLoop loop;
    bool later = false;
    loop.post([&] { later = true; });
    ASSERT_TRUE(loop.driveUntil([&] { return later; }, 5));
    bool settled = false;
    loop.scheduleTimer(0.02, false, [&] { settled = true; });
    ASSERT_TRUE(loop.driveUntil([&] { return settled; }, 5));
    EXPECT_FALSE(*ran);
}

} // namespace
} // namespace glimmo
