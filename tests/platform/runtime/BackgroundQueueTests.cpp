#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <typeinfo>
#include <utility>

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

// What the work was given (a day of visits, a report of megabytes) is let go where the work ran, not on
// the caller's loop.
TEST(BackgroundQueueTest, PerformLetsGoOfTheWorkOnTheQueue) {
    struct Input {
        std::promise<std::thread::id> freedOn;
        ~Input() { freedOn.set_value(std::this_thread::get_id()); }
    };
    ManualRunLoop loop;
    BackgroundQueue queue;
    auto input = std::make_shared<Input>();
    std::future<std::thread::id> freedOn = input->freedOn.get_future();
    runBlocking(loop, queue.perform([input = std::move(input)] { return input != nullptr; }));
    ASSERT_EQ(freedOn.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_NE(freedOn.get(), std::this_thread::get_id());
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

// A quit cancels every task and waits for them: a task whose work has not begun ends at once and the
// work never runs; work under way runs to its end and its task gets what it returned.
TEST(BackgroundQueueTest, ACancelledTaskEndsAtOnceUnlessItsWorkHasBegunAndWorkNotBegunNeverRuns) {
    ManualRunLoop loop;
    BackgroundQueue queue;
    std::promise<void> began;
    std::promise<void> release;
    std::optional<int> returned;
    bool queuedWorkRan = false;
    const auto underWay = [&, released = release.get_future().share()]() -> Task<void> {
        auto work = queue.perform([&began, released] {
            began.set_value();
            released.wait();
            return 7;
        });
        returned = co_await std::move(work);
    };
    const auto queued = [&]() -> Task<void> {
        auto work = queue.perform([&queuedWorkRan] { queuedWorkRan = true; });
        co_await std::move(work);
    };
    const TaskHandle first = startTask(loop, underWay());
    loop.runUntilIdle();
    began.get_future().wait();
    const TaskHandle second = startTask(loop, queued());
    loop.runUntilIdle();
    first.cancel();
    second.cancel();
    EXPECT_TRUE(loop.runUntil([&] { return second.isFinished(); }, 10)) << "the work under way holds the queue";
    release.set_value();
    EXPECT_TRUE(loop.runUntil([&] { return first.isFinished(); }, 10));
    EXPECT_EQ(returned, 7);
    runBlocking(loop, queue.perform([] {}));
    EXPECT_FALSE(queuedWorkRan);
}

// The queue's thread may still hold the exception it threw when the awaiting task handles the failure:
// the task gets an exception of its own with the same message and details, of the same type or, for a
// type that gives no copy of its own, of its nearest base that does; a standard exception of the nearest
// standard type.
TEST(BackgroundQueueTest, AFailureComesBackAsAFreshExceptionOfItsTypeOrItsNearestBase) {
    struct Family : std::runtime_error, CopiedAcrossThreads {
        Family(const std::string& message, int detail) : std::runtime_error(message), detail(detail) {}
        ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
        int detail;
    };
    struct Member : Family {
        using Family::Family;
    };
    struct StandardMember : std::domain_error {
        using domain_error::domain_error;
    };
    ManualRunLoop loop;
    BackgroundQueue queue;
    const std::pair<std::exception_ptr, const std::type_info*> failures[] = {
        {std::make_exception_ptr(std::out_of_range("past the end")), &typeid(std::out_of_range)},
        {std::make_exception_ptr(StandardMember("past the end")), &typeid(std::domain_error)},
        {std::make_exception_ptr(Family("past the end", 7)), &typeid(Family)},
        {std::make_exception_ptr(Member("past the end", 7)), &typeid(Family)}};
    for (const auto& [failure, arrives] : failures) {
        try {
            runBlocking(loop, queue.perform([failure = failure]() -> int { std::rethrow_exception(failure); }));
            ADD_FAILURE() << "no failure came back";
        } catch (const std::exception& error) {
            EXPECT_NE(std::current_exception(), failure) << "the very exception that was thrown";
            EXPECT_EQ(typeid(error), *arrives) << arrives->name();
            EXPECT_STREQ(error.what(), "past the end");
            if (const auto* family = dynamic_cast<const Family*>(&error)) EXPECT_EQ(family->detail, 7);
        }
    }
}

// Another thread posts work that lets the owner destroy the queue at once, while the poster may still
// be inside post(): run under ThreadSanitizer this shows any use of the queue after the work was seen.
TEST(BackgroundQueueTest, QueueDestroyedRightAfterWorkFromAnotherThreadRan) {
    for (int round = 0; round < 50; ++round) {
        auto queue = std::make_unique<BackgroundQueue>();
        std::promise<void> ran;
        std::thread poster([&] { queue->post([&ran] { ran.set_value(); }); });
        ran.get_future().wait();
        queue.reset();
        poster.join();
    }
}

} // namespace
} // namespace glimmo
