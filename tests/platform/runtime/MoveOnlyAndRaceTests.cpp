#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/runtime/AsyncThrowingStream.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/Task.h"

namespace glimmo {
namespace {

Task<std::unique_ptr<int>> boxed(int value) { co_return std::make_unique<int>(value); }

Task<int> unbox() {
    const std::unique_ptr<int> first = co_await boxed(20);
    auto pending = withContinuation<std::unique_ptr<int>>(
        [](Continuation<std::unique_ptr<int>> continuation) { continuation.resume(std::make_unique<int>(22)); });
    const std::unique_ptr<int> second = co_await std::move(pending);
    co_return *first + *second;
}

TEST(MoveOnlyValueTest, TasksAndContinuationsCarryMoveOnlyValues) {
    ManualRunLoop loop;
    EXPECT_EQ(runBlocking(loop, unbox(), 10), 42);
}

TEST(MoveOnlyValueTest, StreamsCarryMoveOnlyValues) {
    ManualRunLoop loop;
    auto [stream, continuation] = AsyncThrowingStream<std::unique_ptr<int>>::make();
    continuation.yield(std::make_unique<int>(1));
    continuation.yield(std::make_unique<int>(2));
    continuation.finish();
    const auto total = [](AsyncThrowingStream<std::unique_ptr<int>> values) -> Task<int> {
        int sum = 0;
        while (auto value = co_await values.next()) sum += **value;
        co_return sum;
    };
    EXPECT_EQ(runBlocking(loop, total(std::move(stream)), 10), 3);
}

TEST(ContinuationRaceTest, ManyThreadsResumingAtOnceDeliverExactlyOneValue) {
    ManualRunLoop loop;
    for (int round = 0; round < 20; ++round) {
        auto threads = std::make_shared<std::vector<std::thread>>();
        auto racing = withContinuation<int>([threads](Continuation<int> continuation) {
            for (int i = 1; i <= 4; ++i) threads->emplace_back([continuation, i] { continuation.resume(i); });
        });
        const int winner = runBlocking(loop, std::move(racing), 10);
        for (auto& thread : *threads) thread.join();
        EXPECT_GE(winner, 1);
        EXPECT_LE(winner, 4);
        // Only one resumption was posted: nothing else is left to run.
        EXPECT_EQ(loop.runUntilIdle(), 0u);
    }
}

}  // namespace
}  // namespace glimmo
