#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/ManualRunLoop.h"

namespace glimmo {
namespace {

TEST(ManualRunLoopTest, PostedWorkRunsInOrderAndOnlyWhenDriven) {
    ManualRunLoop loop;
    std::vector<std::string> log;
    loop.post([&] {
        log.push_back("a");
        loop.post([&] { log.push_back("c"); });  // queued behind work already posted
    });
    loop.post([&] { log.push_back("b"); });
    EXPECT_TRUE(log.empty());

    EXPECT_EQ(loop.runUntilIdle(), 3u);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(loop.runUntilIdle(), 0u);
}

TEST(ManualRunLoopTest, DueTimersFireInTimeOrderAtTheirOwnTime) {
    ManualRunLoop loop(Date{1000});
    std::vector<std::pair<std::string, double>> fired;
    const auto record = [&](std::string name) {
        return [&, name] { fired.emplace_back(name, loop.now().secondsSinceReferenceDate); };
    };
    const auto late = loop.scheduleTimer(3, false, record("late"));
    const auto early = loop.scheduleTimer(1, false, record("early"));
    const auto tieFirst = loop.scheduleTimer(2, false, record("tie-first"));
    const auto tieSecond = loop.scheduleTimer(2, false, record("tie-second"));

    loop.advance(1.5);
    ASSERT_EQ(fired.size(), 1u);
    loop.advance(10);
    EXPECT_EQ(fired, (std::vector<std::pair<std::string, double>>{
                         {"early", 1001}, {"tie-first", 1002}, {"tie-second", 1002}, {"late", 1003}}));
    EXPECT_EQ(loop.now(), Date{1011.5});
    EXPECT_FALSE(late->isValid());  // a one-shot timer is spent once it has fired
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST(ManualRunLoopTest, RepeatingTimerFiresOncePerPeriod) {
    ManualRunLoop loop;
    std::vector<double> times;
    const auto timer = loop.scheduleTimer(5, true, [&] { times.push_back(loop.now().secondsSinceReferenceDate); });

    loop.advance(60);
    ASSERT_EQ(times.size(), 12u);
    for (std::size_t i = 0; i < times.size(); ++i) EXPECT_DOUBLE_EQ(times[i], 5.0 * static_cast<double>(i + 1));
    EXPECT_TRUE(timer->isValid());
    EXPECT_EQ(loop.nextTimerDate(), Date{65});

    timer->invalidate();
    loop.advance(60);
    EXPECT_EQ(times.size(), 12u);
}

TEST(ManualRunLoopTest, TimerKeepsRunningWhenItsHandleIsDropped) {
    ManualRunLoop loop;
    int count = 0;
    (void)loop.scheduleTimer(1, true, [&] { ++count; });
    loop.advance(3);
    EXPECT_EQ(count, 3);
}

TEST(ManualRunLoopTest, TimerCanInvalidateItselfAndOthersFromItsCallback) {
    ManualRunLoop loop;
    int selfCount = 0;
    int otherCount = 0;
    std::shared_ptr<Timer> self;
    std::shared_ptr<Timer> other;
    self = loop.scheduleTimer(1, true, [&] {
        if (++selfCount == 3) {
            self->invalidate();
            other->invalidate();  // due at the same moment, but must not fire any more
        }
    });
    other = loop.scheduleTimer(1, true, [&] { ++otherCount; });

    loop.advance(10);
    EXPECT_EQ(selfCount, 3);
    EXPECT_EQ(otherCount, 2);
    EXPECT_FALSE(self->isValid());
    EXPECT_FALSE(other->isValid());
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

struct Ticker {
    int ticks = 0;
};

TEST(ManualRunLoopTest, WeakTargetTimerStopsOnceTheTargetIsGone) {
    ManualRunLoop loop;
    auto ticker = std::make_shared<Ticker>();
    const auto timer =
        loop.scheduleTimer(1, true, std::weak_ptr<Ticker>(ticker), [](Ticker& target) { ++target.ticks; });

    loop.advance(2);
    EXPECT_EQ(ticker->ticks, 2);
    EXPECT_EQ(ticker.use_count(), 1);  // the timer does not keep its target alive

    ticker.reset();
    loop.advance(1);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST(ManualRunLoopTest, WorkPostedWhileAdvancingRunsAtThatVirtualTime) {
    ManualRunLoop loop;
    std::vector<double> times;
    (void)loop.scheduleTimer(5, false, [&] {
        loop.post([&] { times.push_back(loop.now().secondsSinceReferenceDate); });
        (void)loop.scheduleTimer(1, false, [&] { times.push_back(loop.now().secondsSinceReferenceDate); });
    });
    loop.advance(30);
    EXPECT_EQ(times, (std::vector<double>{5, 6}));
}

TEST(ManualRunLoopTest, ZeroIntervalTimersFireWithoutMovingTimeFar) {
    ManualRunLoop loop;
    int count = 0;
    (void)loop.scheduleTimer(0, false, [&] { ++count; });
    (void)loop.scheduleTimer(-5, false, [&] { ++count; });
    loop.runUntilIdle();
    EXPECT_EQ(count, 0);  // raised to the minimum interval: due slightly after now
    loop.advance(RunLoop::minimumTimerInterval);
    EXPECT_EQ(count, 2);
}

TEST(ManualRunLoopTest, VirtualTimeNeverGoesBackwards) {
    ManualRunLoop loop(Date{10});
    EXPECT_THROW(loop.advance(-1), std::invalid_argument);
    loop.advanceTo(Date{5});
    EXPECT_EQ(loop.now(), Date{10});
}

TEST(ManualRunLoopTest, RunUntilWaitsForPostsFromOtherThreads) {
    ManualRunLoop loop(Date{42});
    std::atomic<bool> ranOnLoopThread{false};
    const auto testThread = std::this_thread::get_id();
    std::thread producer([&] {
        loop.post([&] { ranOnLoopThread = std::this_thread::get_id() == testThread && loop.isCurrent(); });
    });
    EXPECT_TRUE(loop.runUntil([&] { return ranOnLoopThread.load(); }, 10));
    producer.join();
    EXPECT_EQ(loop.now(), Date{42});
}

TEST(ManualRunLoopTest, RunUntilGivesUpAfterItsRealTimeLimit) {
    ManualRunLoop loop;
    EXPECT_FALSE(loop.runUntil([] { return false; }, 0.02));
}

}  // namespace
}  // namespace glimmo

namespace glimmo {
namespace {

// Posts to the loop from its destructor, as a continuation that was never resumed does.
struct PostsWhenDestroyed {
    RunLoop* loop;
    std::shared_ptr<int> token;
    ~PostsWhenDestroyed() {
        loop->post([token = token] { ++*token; });
    }
};

TEST(ManualRunLoopTest, LoopGoingAwayReleasesPendingWorkAndTimersSafely) {
    const auto token = std::make_shared<int>(0);
    {
        ManualRunLoop loop;
        auto guard = std::make_shared<PostsWhenDestroyed>(PostsWhenDestroyed{&loop, token});
        loop.post([guard] {});
        (void)loop.scheduleTimer(10, false, [guard] {});
        (void)loop.scheduleTimer(20, true, [guard] {});
    }
    EXPECT_EQ(*token, 0);              // nothing ran
    EXPECT_EQ(token.use_count(), 1);   // and nothing was kept
}

}  // namespace
}  // namespace glimmo
