#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <stdexcept>

#include "platform/runtime/Clock.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {
namespace {

TEST(DateTest, ConvertsBetweenReferenceDateAndUnixTime) {
    EXPECT_EQ(Date::fromUnixTime(978307200.0), Date{0});
    EXPECT_DOUBLE_EQ(Date{0}.unixTime(), 978307200.0);
    // 2024-03-01 12:00:00 UTC
    const Date date = Date::fromUnixTime(1709294400.0);
    EXPECT_DOUBLE_EQ(date.secondsSinceReferenceDate, 1709294400.0 - 978307200.0);
    EXPECT_DOUBLE_EQ(date.unixTime(), 1709294400.0);
}

TEST(DateTest, ArithmeticAndOrdering) {
    const Date start{1000.5};
    const Date later = start.addingTimeInterval(60);
    EXPECT_DOUBLE_EQ(later.secondsSinceReferenceDate, 1060.5);
    EXPECT_DOUBLE_EQ(later.timeIntervalSince(start), 60);
    EXPECT_DOUBLE_EQ(start.timeIntervalSince(later), -60);
    EXPECT_LT(start, later);
    EXPECT_GT(later, start);
    EXPECT_NE(start, later);
    EXPECT_LT(Date::distantPast(), Date{-1e9});
    EXPECT_GT(Date::distantFuture(), Date{1e10});
}

TEST(ClockTest, ManualClockMovesOnlyWhenTold) {
    ManualClock clock(Date{100});
    EXPECT_EQ(clock.now(), Date{100});
    clock.advance(2.5);
    EXPECT_EQ(clock.now(), Date{102.5});
    clock.set(Date{7});
    EXPECT_EQ(clock.now(), Date{7});
}

TEST(ClockTest, SystemClockUsesTheReferenceDateEpoch) {
    const double unixNow = static_cast<double>(std::time(nullptr));
    // A wrong epoch would be off by 31 years; a minute of slack keeps this independent of machine speed.
    EXPECT_NEAR(SystemClock::shared().now().unixTime(), unixNow, 60);
}

TEST(MainRunLoopTest, MainIsAvailableOnlyOnceInstalled) {
    RunLoop::setMain(nullptr);
    EXPECT_FALSE(RunLoop::hasMain());
    EXPECT_THROW(RunLoop::main(), std::logic_error);

    const auto loop = std::make_shared<ManualRunLoop>(Date{50});
    RunLoop::setMain(loop);
    EXPECT_EQ(&RunLoop::main(), loop.get());
    EXPECT_EQ(RunLoop::main().now(), Date{50});

    RunLoop::setMain(nullptr);
    EXPECT_THROW(RunLoop::main(), std::logic_error);
}

}  // namespace
}  // namespace glimmo
