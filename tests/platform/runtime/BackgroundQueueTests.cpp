#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/ManualRunLoop.h"

namespace glimmo {
namespace {

TEST(BackgroundQueueTest, PerformRunsAfterEarlierWorkOffTheCallerAndHandsBackResultOrError) {
    ManualRunLoop loop;
    BackgroundQueue queue;
    std::string order;
    queue.post([&order] { order += "posted "; });
    const auto caller = std::this_thread::get_id();
    EXPECT_TRUE(runBlocking(loop, queue.perform([&order, caller] {
        order += "performed";
        return std::this_thread::get_id() != caller;
    })));
    EXPECT_EQ(order, "posted performed");
    EXPECT_THROW(runBlocking(loop, queue.perform([]() -> int { throw std::runtime_error("no"); })), std::runtime_error);
}

TEST(BackgroundQueueTest, PerformTaskRunsEveryStepOnTheQueueAndHandsBackTheOutcome) {
    ManualRunLoop loop;
    BackgroundQueue queue;
    BackgroundQueue elsewhere;
    const auto steps = [&]() -> Task<bool> {
        const bool startedThere = queue.isCurrent();
        auto away = elsewhere.perform([] { return 1; });
        co_await std::move(away);
        co_return startedThere && queue.isCurrent();
    };
    EXPECT_TRUE(runBlocking(loop, queue.performTask(steps())));
    EXPECT_FALSE(queue.isCurrent());
    const auto failing = []() -> Task<int> {
        co_await checkCancellation();
        throw std::runtime_error("no");
    };
    EXPECT_THROW(runBlocking(loop, queue.performTask(failing())), std::runtime_error);

    // Cancelling the caller cancels the task where it waits.
    std::optional<Continuation<void>> held;
    const auto waiting = [&]() -> Task<void> {
        auto forever = withContinuation<void>(
            [&](Continuation<void> c) { held = c; },
            [&] { held->resumeThrowing(std::make_exception_ptr(CancellationError{})); });
        co_await std::move(forever);
    };
    bool cancelled = false;
    const auto caller = [&]() -> Task<void> {
        try {
            auto running = queue.performTask(waiting());
            co_await std::move(running);
        } catch (const CancellationError&) {
            cancelled = true;
        }
    };
    const TaskHandle handle = startTask(loop, caller());
    ASSERT_TRUE(loop.runUntil([&] { return pendingContinuationCount() == 2; }, 10));
    handle.cancel();
    EXPECT_TRUE(loop.runUntil([&] { return cancelled; }, 10));
}

} // namespace
} // namespace glimmo
