#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "platform/runtime/Task.h"

namespace glimmo {
namespace {

// Coroutines below take their state as parameters (copied into the frame), never as lambda captures.

Task<int> answer() { co_return 42; }

Task<int> doubled(Task<int> inner) { co_return 2 * co_await std::move(inner); }

Task<int> failing(std::string message, double delay = 1) {
    co_await sleepFor(delay);
    throw std::runtime_error(message);
}

Task<int> middle(std::string message, double delay = 1) {
    const int value = co_await failing(message, delay);  // not caught here: must pass through
    co_return value + 1;
}

Task<void> outer(std::string message, std::shared_ptr<std::string> caught, std::shared_ptr<bool> resumedOnLoop,
                 ManualRunLoop* loop) {
    try {
        (void)co_await middle(message);
    } catch (const std::runtime_error& error) {
        *caught = error.what();
        *resumedOnLoop = loop->isCurrent();
    }
}

TEST(TaskTest, NestedTasksReturnValues) {
    ManualRunLoop loop;
    EXPECT_EQ(runBlocking(loop, doubled(doubled(answer()))), 168);
}

TEST(TaskTest, TaskIsLazyAndCanBeDestroyedUnstarted) {
    ManualRunLoop loop;
    auto started = std::make_shared<bool>(false);
    {
        auto task = [](std::shared_ptr<bool> flag) -> Task<void> {
            *flag = true;
            co_return;
        }(started);
        loop.runUntilIdle();
        EXPECT_FALSE(*started);
    }
    EXPECT_FALSE(*started);
}

TEST(TaskTest, ExceptionsPropagateThroughNestedTasks) {
    ManualRunLoop loop;
    auto caught = std::make_shared<std::string>();
    auto resumedOnLoop = std::make_shared<bool>(false);
    const TaskHandle handle = startTask(loop, outer("disk full", caught, resumedOnLoop, &loop));
    loop.advance(1);
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(*caught, "disk full");
    EXPECT_TRUE(*resumedOnLoop);

    RealTimeRunLoop realTime;
    try {
        (void)runBlocking(realTime, middle("lost", 0.001), 10);
        ADD_FAILURE() << "runBlocking did not rethrow";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "lost");
    }
}

TEST(TaskTest, ManySynchronousAwaitsDoNotGrowTheStack) {
    ManualRunLoop loop;
    const auto sum = [](int count) -> Task<long> {
        long total = 0;
        for (int i = 0; i < count; ++i) total += co_await answer();
        co_return total;
    };
    EXPECT_EQ(runBlocking(loop, sum(300'000)), 42L * 300'000);
}

// ---- Resumption on the task's executor ----

Task<void> awaitOtherThread(std::shared_ptr<std::vector<std::thread::id>> threads, std::shared_ptr<std::thread> worker,
                            Executor* loop, std::shared_ptr<bool> onLoop) {
    threads->push_back(std::this_thread::get_id());
    auto completion = withContinuation<int>([threads, worker](Continuation<int> continuation) {
        *worker = std::thread([continuation] { continuation.resume(7); });
    });
    const int value = co_await std::move(completion);
    threads->push_back(std::this_thread::get_id());
    *onLoop = value == 7 && loop->isCurrent();
}

TEST(TaskTest, ResumesOnTheLoopThreadWhenAnotherThreadCompletes) {
    ManualRunLoop loop;
    auto threads = std::make_shared<std::vector<std::thread::id>>();
    auto worker = std::make_shared<std::thread>();
    auto onLoop = std::make_shared<bool>(false);
    const TaskHandle handle = startTask(loop, awaitOtherThread(threads, worker, &loop, onLoop));
    EXPECT_TRUE(loop.runUntil([&] { return handle.isFinished(); }, 10));
    worker->join();
    ASSERT_EQ(threads->size(), 2u);
    EXPECT_EQ((*threads)[0], std::this_thread::get_id());
    EXPECT_EQ((*threads)[1], std::this_thread::get_id());
    EXPECT_TRUE(*onLoop);
}

TEST(TaskTest, ResumesOnABackgroundLoopThread) {
    RealTimeRunLoop loop;
    std::atomic<bool> loopReturned{false};
    std::thread::id loopThreadId;
    std::thread loopThread([&] {
        loopThreadId = std::this_thread::get_id();
        loop.run();
        loopReturned = true;
    });
    auto threads = std::make_shared<std::vector<std::thread::id>>();
    auto worker = std::make_shared<std::thread>();
    auto onLoop = std::make_shared<bool>(false);
    const TaskHandle handle = startTask(loop, awaitOtherThread(threads, worker, &loop, onLoop));
    for (int i = 0; i < 1000 && !handle.isFinished(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    loop.stop();
    loopThread.join();
    if (worker->joinable()) worker->join();
    ASSERT_TRUE(handle.isFinished());
    ASSERT_EQ(threads->size(), 2u);
    EXPECT_EQ((*threads)[0], loopThreadId);
    EXPECT_EQ((*threads)[1], loopThreadId);
    EXPECT_TRUE(*onLoop);
}

TEST(TaskTest, ContinuationCountsOnlyItsFirstResume) {
    ManualRunLoop loop;
    const int value = runBlocking(loop, withContinuation<int>([](Continuation<int> continuation) {
                                      continuation.resume(1);
                                      continuation.resume(2);
                                      continuation.resumeThrowing(std::make_exception_ptr(std::runtime_error("x")));
                                      EXPECT_TRUE(continuation.isResumed());
                                  }));
    EXPECT_EQ(value, 1);
}

TEST(TaskTest, ContinuationResumesWithTheErrorItWasGiven) {
    ManualRunLoop loop;
    EXPECT_THROW(runBlocking(loop, withContinuation<void>([](Continuation<void> continuation) {
                                 continuation.resumeThrowing(std::make_exception_ptr(std::out_of_range("range")));
                             })),
                 std::out_of_range);
    EXPECT_THROW(runBlocking(loop, withContinuation<void>([](Continuation<void>) { throw std::domain_error("start"); })),
                 std::domain_error);
}

TEST(TaskTest, DroppedContinuationResumesWithAnErrorInsteadOfHanging) {
    ManualRunLoop loop;
    EXPECT_THROW(runBlocking(loop, withContinuation<int>([](Continuation<int>) {}), 10), std::logic_error);
}

TEST(TaskTest, AContinuationIsPendingFromItsStartUntilItsOutcomeIsPosted) {
    ManualRunLoop loop;
    const std::size_t before = pendingContinuationCount();
    auto kept = std::make_shared<std::optional<Continuation<void>>>();
    const TaskHandle handle = startTask(loop, withContinuation<void>([kept](Continuation<void> c) { *kept = c; }));
    loop.runUntilIdle();
    EXPECT_EQ(pendingContinuationCount(), before + 1);
    (*kept)->resume();
    EXPECT_EQ(pendingContinuationCount(), before) << "the resumption is on the loop";
    EXPECT_FALSE(handle.isFinished());
    loop.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
}

// ---- Cancellation ----

struct PendingOperation {
    std::optional<Continuation<std::string>> continuation;
    std::atomic<int> cancelCalls{0};
    std::thread::id cancelThread;
};

Task<std::string> waitForOperation(std::shared_ptr<PendingOperation> operation) {
    auto completion = withContinuation<std::string>(
        [operation](Continuation<std::string> continuation) { operation->continuation = continuation; },
        [operation] {
            ++operation->cancelCalls;
            operation->cancelThread = std::this_thread::get_id();
            operation->continuation->resumeThrowing(std::make_exception_ptr(CancellationError{}));
        });
    co_return co_await std::move(completion);
}

Task<void> nestedWait(std::shared_ptr<PendingOperation> operation, std::shared_ptr<std::string> outcome) {
    try {
        *outcome = co_await [](std::shared_ptr<PendingOperation> op) -> Task<std::string> {
            co_return co_await waitForOperation(op);
        }(operation);
    } catch (const CancellationError&) {
        *outcome = "cancelled";
    }
}

TEST(TaskCancellationTest, CancellingReachesTheAwaitedContinuationThroughNestedTasks) {
    ManualRunLoop loop;
    auto operation = std::make_shared<PendingOperation>();
    auto outcome = std::make_shared<std::string>();
    const TaskHandle handle = startTask(loop, nestedWait(operation, outcome));
    loop.runUntilIdle();
    ASSERT_TRUE(operation->continuation.has_value());
    EXPECT_FALSE(handle.isFinished());

    std::thread canceller([&] { handle.cancel(); });
    canceller.join();
    EXPECT_EQ(operation->cancelCalls, 1);
    EXPECT_NE(operation->cancelThread, std::this_thread::get_id());  // called on the cancelling thread

    loop.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    EXPECT_TRUE(handle.isCancelled());
    EXPECT_EQ(*outcome, "cancelled");

    handle.cancel();  // a second cancel does nothing
    EXPECT_EQ(operation->cancelCalls, 1);
}

TEST(TaskCancellationTest, OperationThatCompletesNormallyIsNotCancelledLater) {
    ManualRunLoop loop;
    auto operation = std::make_shared<PendingOperation>();
    auto outcome = std::make_shared<std::string>();
    const TaskHandle handle = startTask(loop, nestedWait(operation, outcome));
    loop.runUntilIdle();
    operation->continuation->resume("done");
    loop.runUntilIdle();
    handle.cancel();
    EXPECT_EQ(*outcome, "done");
    EXPECT_EQ(operation->cancelCalls, 0);
}

TEST(TaskCancellationTest, TaskCancelledBeforeItStartsCancelsItsFirstOperationAtOnce) {
    ManualRunLoop loop;
    auto operation = std::make_shared<PendingOperation>();
    auto outcome = std::make_shared<std::string>();
    const TaskHandle handle = startTask(loop, nestedWait(operation, outcome));
    handle.cancel();
    loop.runUntilIdle();
    EXPECT_EQ(operation->cancelCalls, 1);
    EXPECT_EQ(*outcome, "cancelled");
    EXPECT_TRUE(handle.isFinished());
}

Task<void> observeCancellation(std::shared_ptr<std::vector<std::string>> log) {
    log->push_back(co_await isTaskCancelled() ? "cancelled" : "running");
    try {
        co_await checkCancellation();
        log->push_back("not thrown");
    } catch (const CancellationError& error) {
        log->push_back(error.what());
    }
}

TEST(TaskCancellationTest, TaskCanAskWhetherItIsCancelled) {
    ManualRunLoop loop;
    auto running = std::make_shared<std::vector<std::string>>();
    (void)startTask(loop, observeCancellation(running));
    loop.runUntilIdle();
    EXPECT_EQ(*running, (std::vector<std::string>{"running", "not thrown"}));

    auto cancelled = std::make_shared<std::vector<std::string>>();
    startTask(loop, observeCancellation(cancelled)).cancel();
    loop.runUntilIdle();
    EXPECT_EQ(*cancelled, (std::vector<std::string>{"cancelled", "The task was cancelled"}));
}

Task<void> sleeper(double seconds, std::shared_ptr<std::vector<std::string>> log, ManualRunLoop* loop) {
    try {
        co_await sleepFor(seconds);
        log->push_back("woke at " + std::to_string(static_cast<int>(loop->now().secondsSinceReferenceDate)));
    } catch (const CancellationError&) {
        log->push_back("cancelled at " + std::to_string(static_cast<int>(loop->now().secondsSinceReferenceDate)));
    }
}

TEST(SleepTest, SleepsInVirtualTime) {
    ManualRunLoop loop(Date{100});
    auto log = std::make_shared<std::vector<std::string>>();
    const TaskHandle handle = startTask(loop, sleeper(5, log, &loop));
    loop.advance(4.9);
    EXPECT_TRUE(log->empty());
    loop.advance(0.1);
    EXPECT_EQ(*log, (std::vector<std::string>{"woke at 105"}));
    EXPECT_TRUE(handle.isFinished());
}

TEST(SleepTest, CancellingASleepWakesItWithCancellationAndRemovesItsTimer) {
    ManualRunLoop loop;
    auto log = std::make_shared<std::vector<std::string>>();
    const TaskHandle handle = startTask(loop, sleeper(60, log, &loop));
    loop.advance(10);
    EXPECT_EQ(loop.scheduledTimerCount(), 1u);
    handle.cancel();
    loop.runUntilIdle();
    EXPECT_EQ(*log, (std::vector<std::string>{"cancelled at 10"}));
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
    loop.advance(100);
    EXPECT_EQ(log->size(), 1u);
}

TEST(SleepTest, ZeroSleepYieldsToTheLoop) {
    ManualRunLoop loop;
    auto log = std::make_shared<std::vector<std::string>>();
    (void)startTask(loop, sleeper(0, log, &loop));
    loop.runUntilIdle();
    EXPECT_EQ(*log, (std::vector<std::string>{"woke at 0"}));
}

// ---- Detached tasks ----

TEST(DetachedTaskTest, DroppingTheHandleDoesNotCancel) {
    ManualRunLoop loop;
    auto log = std::make_shared<std::vector<std::string>>();
    (void)startTask(loop, sleeper(3, log, &loop));
    loop.advance(3);
    EXPECT_EQ(*log, (std::vector<std::string>{"woke at 3"}));
}

TEST(DetachedTaskTest, StartsOnALaterTurnOfTheLoop) {
    ManualRunLoop loop;
    auto log = std::make_shared<std::vector<std::string>>();
    const TaskHandle handle = startTask(loop, observeCancellation(log));
    EXPECT_TRUE(log->empty());
    EXPECT_FALSE(handle.isFinished());
    loop.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    EXPECT_FALSE(handle.isCancelled());
}

TEST(DetachedTaskTest, EscapingErrorIsLoggedAndSwallowed) {
    ManualRunLoop loop;
    testing::internal::CaptureStderr();
    const TaskHandle failed = startTask(loop, [](std::string message) -> Task<void> {
        co_await sleepFor(1);
        throw std::runtime_error(message);
    }("the database is locked"));
    const TaskHandle cancelled = startTask(loop, sleeper(5, std::make_shared<std::vector<std::string>>(), &loop));
    cancelled.cancel();
    loop.advance(1);
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(failed.isFinished());
    EXPECT_TRUE(cancelled.isFinished());
    EXPECT_NE(logged.find("the database is locked"), std::string::npos);
    EXPECT_EQ(logged.find("cancelled"), std::string::npos);
}

TEST(DetachedTaskTest, UnstartedTaskIsFreedWhenItsLoopGoesAway) {
    auto alive = std::make_shared<int>(0);
    {
        ManualRunLoop loop;
        (void)startTask(loop, [](std::shared_ptr<int> keep) -> Task<void> {
            ++*keep;
            co_return;
        }(alive));
        EXPECT_EQ(alive.use_count(), 2);
    }
    EXPECT_EQ(alive.use_count(), 1);
    EXPECT_EQ(*alive, 0);
}

TEST(DetachedTaskTest, CancellingAllTasksReachesEveryOneThatHasNotEnded) {
    ManualRunLoop loop;
    ManualRunLoop other;
    auto ended = std::make_shared<std::vector<std::string>>();
    const TaskHandle finished = startTask(loop, observeCancellation(ended));
    loop.runUntilIdle();
    {
        ManualRunLoop gone;
        (void)startTask(gone, observeCancellation(ended)); // dropped unstarted with its loop
    }
    auto sleeping = std::make_shared<std::vector<std::string>>();
    (void)startTask(loop, sleeper(60, sleeping, &loop));
    loop.advance(10);
    auto unstarted = std::make_shared<std::vector<std::string>>();
    (void)startTask(other, observeCancellation(unstarted));

    cancelAllTasks();
    loop.runUntilIdle();
    other.runUntilIdle();
    EXPECT_EQ(*sleeping, (std::vector<std::string>{"cancelled at 10"}));
    EXPECT_EQ(*unstarted, (std::vector<std::string>{"cancelled", "The task was cancelled"}));
    EXPECT_FALSE(finished.isCancelled());
    EXPECT_EQ(*ended, (std::vector<std::string>{"running", "not thrown"}));
}

// ---- runBlocking ----

TEST(RunBlockingTest, GivesUpAfterItsLimitAndCancelsTheTask) {
    ManualRunLoop loop;
    auto operation = std::make_shared<PendingOperation>();
    EXPECT_THROW(runBlocking(loop, waitForOperation(operation), 0.05), RunBlockingTimeout);
    EXPECT_EQ(operation->cancelCalls, 1);
}

TEST(RunBlockingTest, DrivesARealTimeLoop) {
    RealTimeRunLoop loop;
    EXPECT_NO_THROW(runBlocking(loop, sleepFor(0.01), 10));
    EXPECT_EQ(runBlocking(loop, answer(), 10), 42);
}

}  // namespace
}  // namespace glimmo
