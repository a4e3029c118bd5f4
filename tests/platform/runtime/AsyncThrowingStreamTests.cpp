#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/AsyncThrowingStream.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/RealTimeRunLoop.h"

namespace glimmo {
namespace {

using Lines = AsyncThrowingStream<std::string>;

struct Consumed {
    std::vector<std::string> values;
    std::string error;
    bool ended = false;
};

Task<void> consume(Lines stream, std::shared_ptr<Consumed> consumed) {
    try {
        while (auto value = co_await stream.next()) consumed->values.push_back(*value);
        consumed->ended = true;
        // Once ended, the stream stays ended.
        if (co_await stream.next()) consumed->error = "value after the end";
    } catch (const CancellationError&) {
        consumed->error = "cancelled";
    } catch (const std::exception& error) {
        consumed->error = error.what();
    }
}

TEST(AsyncThrowingStreamTest, DeliversBufferedValuesThenTheEnd) {
    ManualRunLoop loop;
    auto [stream, continuation] = Lines::make();
    int terminations = 0;
    continuation.onTermination([&] { ++terminations; });
    continuation.yield("a");
    continuation.yield("b");
    continuation.finish();
    continuation.yield("ignored after finish");
    EXPECT_TRUE(continuation.isTerminated());
    EXPECT_EQ(terminations, 1);

    auto consumed = std::make_shared<Consumed>();
    runBlocking(loop, consume(std::move(stream), consumed), 10);
    EXPECT_EQ(consumed->values, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(consumed->ended);
    EXPECT_EQ(consumed->error, "");
    EXPECT_EQ(terminations, 1);
}

TEST(AsyncThrowingStreamTest, ValuesArrivingWhileTheConsumerWaits) {
    ManualRunLoop loop;
    auto [stream, continuation] = Lines::make();
    auto consumed = std::make_shared<Consumed>();
    const TaskHandle handle = startTask(loop, consume(std::move(stream), consumed));
    loop.runUntilIdle();
    continuation.yield("first");
    loop.runUntilIdle();
    EXPECT_EQ(consumed->values, (std::vector<std::string>{"first"}));
    continuation.yield("second");
    continuation.finish();
    loop.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(consumed->values, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(consumed->ended);
}

TEST(AsyncThrowingStreamTest, ErrorComesAfterTheBufferedValuesAndOnlyOnce) {
    ManualRunLoop loop;
    auto [stream, continuation] = Lines::make();
    continuation.yield("partial");
    continuation.finish(std::make_exception_ptr(std::runtime_error("connection reset")));

    auto consumed = std::make_shared<Consumed>();
    runBlocking(loop, consume(std::move(stream), consumed), 10);
    EXPECT_EQ(consumed->values, (std::vector<std::string>{"partial"}));
    EXPECT_FALSE(consumed->ended);
    EXPECT_EQ(consumed->error, "connection reset");
}

TEST(AsyncThrowingStreamTest, ErrorReachesAWaitingConsumer) {
    ManualRunLoop loop;
    auto [stream, continuation] = Lines::make();
    auto consumed = std::make_shared<Consumed>();
    const TaskHandle handle = startTask(loop, consume(std::move(stream), consumed));
    loop.runUntilIdle();
    continuation.finish(std::make_exception_ptr(std::runtime_error("timed out")));
    loop.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(consumed->error, "timed out");
}

TEST(AsyncThrowingStreamTest, ProducerOnAnotherThread) {
    RealTimeRunLoop loop;
    auto [stream, continuation] = AsyncThrowingStream<int>::make();
    constexpr int count = 20'000;
    std::thread producer([continuation = continuation] {
        for (int i = 0; i < count; ++i) continuation.yield(i);
        continuation.finish();
    });
    const auto collect = [](AsyncThrowingStream<int> numbers, Executor* loop) -> Task<std::vector<int>> {
        std::vector<int> received;
        while (auto number = co_await numbers.next()) {
            if (!loop->isCurrent()) throw std::logic_error("resumed off the loop thread");
            received.push_back(*number);
        }
        co_return received;
    };
    const std::vector<int> received = runBlocking(loop, collect(std::move(stream), &loop), 60);
    producer.join();
    ASSERT_EQ(received.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) ASSERT_EQ(received[static_cast<std::size_t>(i)], i);
}

TEST(AsyncThrowingStreamTest, CancellingTheConsumerEndsTheStreamForTheProducer) {
    ManualRunLoop loop;
    auto [stream, continuation] = Lines::make();
    std::atomic<int> terminations{0};
    continuation.onTermination([&] { ++terminations; });
    auto consumed = std::make_shared<Consumed>();
    const TaskHandle handle = startTask(loop, consume(std::move(stream), consumed));
    loop.runUntilIdle();

    std::thread canceller([&] { handle.cancel(); });
    canceller.join();
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(continuation.isTerminated());
    loop.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(consumed->error, "cancelled");

    continuation.yield("too late");
    continuation.finish();
    EXPECT_EQ(terminations, 1);
}

TEST(AsyncThrowingStreamTest, AlreadyCancelledConsumerStopsEvenWithValuesBuffered) {
    ManualRunLoop loop;
    auto [stream, continuation] = Lines::make();
    int terminations = 0;
    continuation.onTermination([&] { ++terminations; });
    continuation.yield("buffered");
    auto consumed = std::make_shared<Consumed>();
    startTask(loop, consume(std::move(stream), consumed)).cancel();
    loop.runUntilIdle();
    EXPECT_EQ(consumed->error, "cancelled");
    EXPECT_TRUE(consumed->values.empty());
    EXPECT_EQ(terminations, 1);
}

TEST(AsyncThrowingStreamTest, DroppingTheStreamTerminatesIt) {
    auto [stream, continuation] = Lines::make();
    int terminations = 0;
    continuation.onTermination([&] { ++terminations; });
    continuation.yield("unread");
    { const Lines dropped = std::move(stream); }
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(continuation.isTerminated());
}

TEST(AsyncThrowingStreamTest, OnTerminationSetAfterTheEndRunsAtOnce) {
    auto [stream, continuation] = Lines::make();
    continuation.finish();
    int terminations = 0;
    continuation.onTermination([&] { ++terminations; });
    EXPECT_EQ(terminations, 1);
}

TEST(AsyncThrowingStreamTest, ProducerThatGoesAwayUnfinishedEndsTheStreamWithAnError) {
    ManualRunLoop loop;
    auto consumed = std::make_shared<Consumed>();
    {
        auto [stream, continuation] = Lines::make();
        continuation.yield("only");
        const TaskHandle handle = startTask(loop, consume(std::move(stream), consumed));
    }  // the last producer handle goes away without finish()
    loop.runUntilIdle();
    EXPECT_EQ(consumed->values, (std::vector<std::string>{"only"}));
    EXPECT_EQ(consumed->error, "The stream's producer went away without finishing it");
}

TEST(AsyncThrowingStreamTest, LongBufferedStreamDoesNotGrowTheStack) {
    ManualRunLoop loop;
    auto [stream, continuation] = AsyncThrowingStream<int>::make();
    for (int i = 0; i < 200'000; ++i) continuation.yield(1);
    continuation.finish();
    const auto sum = [](AsyncThrowingStream<int> numbers) -> Task<long> {
        long total = 0;
        while (auto number = co_await numbers.next()) total += *number;
        co_return total;
    };
    EXPECT_EQ(runBlocking(loop, sum(std::move(stream)), 60), 200'000);
}

TEST(AsyncThrowingStreamTest, ABoundHoldsTheProducerBackUntilTheReaderHasCaughtUp) {
    ManualRunLoop loop;
    auto [stream, continuation] = Lines::make(10, [](const std::string& line) { return line.size(); });
    int rooms = 0;
    continuation.onRoom([&] { ++rooms; });
    continuation.yield("abcd");
    EXPECT_TRUE(continuation.hasRoom());
    continuation.yield("efghijk");
    EXPECT_FALSE(continuation.hasRoom());
    const auto read = [](Lines& lines) -> Task<std::optional<std::string>> { co_return co_await lines.next(); };
    EXPECT_EQ(runBlocking(loop, read(stream), 10), "abcd");
    EXPECT_EQ(rooms, 0);  // 7 still unread: more than half the bound
    EXPECT_EQ(runBlocking(loop, read(stream), 10), "efghijk");
    EXPECT_EQ(rooms, 1);
    EXPECT_TRUE(continuation.hasRoom());
}

TEST(AsyncThrowingStreamTest, SendWaitsWhileTheReaderIsTheBoundBehind) {
    ManualRunLoop loop;
    auto [stream, continuation] = AsyncThrowingStream<int>::make(4);
    auto sent = std::make_shared<int>(0);
    const auto produce = [](AsyncThrowingStream<int>::Continuation output, std::shared_ptr<int> sent) -> Task<void> {
        for (int value = 0; value < 100; ++value) {
            co_await output.send(value);
            ++*sent;
        }
        output.finish();
    };
    startTask(loop, produce(continuation, sent));
    const auto consume = [](AsyncThrowingStream<int> values, std::shared_ptr<int> sent) -> Task<int> {
        int mostAhead = 0;
        int received = 0;
        while (const auto value = co_await values.next()) {
            if (*value != received++) throw std::logic_error("out of order");
            mostAhead = std::max(mostAhead, *sent - received);
        }
        co_return received == 100 ? mostAhead : -1;
    };
    const int mostAhead = runBlocking(loop, consume(std::move(stream), sent), 10);
    EXPECT_GE(mostAhead, 1);
    EXPECT_LE(mostAhead, 4);
}

TEST(AsyncThrowingStreamTest, AProducerWaitingToSendLearnsThatTheReaderLeft) {
    ManualRunLoop loop;
    auto made = AsyncThrowingStream<int>::make(1);
    auto stream = std::make_optional(std::move(made.first));
    bool finished = false;
    const auto produce = [](AsyncThrowingStream<int>::Continuation output, bool& finished) -> Task<void> {
        while (!output.isTerminated()) co_await output.send(1);
        finished = true;
    };
    startTask(loop, produce(made.second, finished));
    loop.runUntilIdle();
    EXPECT_FALSE(finished);
    stream.reset();
    loop.runUntilIdle();
    EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace glimmo
