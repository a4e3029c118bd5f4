// Measures the runtime's overhead against the plain standard-library code doing the same work, in the same
// run, and prints one `ratio <name> <value>` line per comparison (runtime time / baseline time, lower is
// better). Run a release build for meaningful numbers.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/runtime/AsyncThrowingStream.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "platform/runtime/Task.h"

namespace {

using glimmo::AsyncThrowingStream;
using glimmo::Task;

template <class Work>
double secondsFor(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void report(const char* name, const char* ratioName, long items, double runtimeSeconds, double baselineSeconds) {
    std::printf("%-34s %10.0f items/s  baseline %10.0f items/s\n", name, static_cast<double>(items) / runtimeSeconds,
                static_cast<double>(items) / baselineSeconds);
    std::printf("ratio %s %.2f\n", ratioName, runtimeSeconds / baselineSeconds);
}

// Posting closures to a loop and running them, against a mutex-guarded deque of std::function.
void postedWork(long count) {
    long counter = 0;
    const double runtime = secondsFor([&] {
        glimmo::ManualRunLoop loop;
        for (long i = 0; i < count; ++i) loop.post([&counter] { ++counter; });
        loop.runUntilIdle();
    });
    const double baseline = secondsFor([&] {
        std::mutex mutex;
        std::deque<std::function<void()>> queue;
        for (long i = 0; i < count; ++i) {
            const std::lock_guard lock(mutex);
            queue.emplace_back([&counter] { ++counter; });
        }
        for (;;) {
            std::function<void()> work;
            {
                const std::lock_guard lock(mutex);
                if (queue.empty()) break;
                work = std::move(queue.front());
                queue.pop_front();
            }
            work();
        }
    });
    if (counter != 2 * count) std::puts("posted work: wrong count");
    report("posted work", "runtime_posted_work", count, runtime, baseline);
}

Task<long> one() { co_return 1; }

Task<long> sumOfAwaits(long count) {
    long total = 0;
    for (long i = 0; i < count; ++i) total += co_await one();
    co_return total;
}

// Kept out of line and its allocation kept observable, so the compiler cannot drop the work.
[[gnu::noinline]] long plainOne(long i) {
    const auto frame = std::make_unique<long>((i >= 0) ? 1 : 0);
    asm volatile("" : : "r"(frame.get()) : "memory");
    return *frame;
}

// Awaiting a task that finishes at once, against calling a function (each allocates a frame, so the
// baseline allocates too).
void synchronousAwaits(long count) {
    glimmo::ManualRunLoop loop;
    long result = 0;
    const double runtime = secondsFor([&] { result = glimmo::runBlocking(loop, sumOfAwaits(count), 600); });
    long baselineResult = 0;
    const double baseline = secondsFor([&] {
        for (long i = 0; i < count; ++i) baselineResult += plainOne(i);
    });
    if (result != count || baselineResult != count) std::puts("awaits: wrong sum");
    report("co_await of a finished task", "runtime_await_finished_task", count, runtime, baseline);
}

Task<long> drain(AsyncThrowingStream<long> stream) {
    long total = 0;
    while (const auto value = co_await stream.next()) total += *value;
    co_return total;
}

// A producer thread handing values to a consumer: the stream into a task on a run loop, against a
// mutex/condition-variable queue into a plain thread.
void crossThreadStream(long count) {
    long total = 0;
    const double runtime = secondsFor([&] {
        glimmo::RealTimeRunLoop loop;
        auto [stream, continuation] = AsyncThrowingStream<long>::make();
        std::thread producer([continuation = continuation, count] {
            for (long i = 0; i < count; ++i) continuation.yield(1);
            continuation.finish();
        });
        total = glimmo::runBlocking(loop, drain(std::move(stream)), 600);
        producer.join();
    });
    long baselineTotal = 0;
    const double baseline = secondsFor([&] {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<long> queue;
        bool finished = false;
        std::thread producer([&] {
            for (long i = 0; i < count; ++i) {
                {
                    const std::lock_guard lock(mutex);
                    queue.push_back(1);
                }
                changed.notify_one();
            }
            {
                const std::lock_guard lock(mutex);
                finished = true;
            }
            changed.notify_one();
        });
        for (;;) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !queue.empty() || finished; });
            if (queue.empty()) break;
            baselineTotal += queue.front();
            queue.pop_front();
        }
        producer.join();
    });
    if (total != count || baselineTotal != count) std::puts("stream: wrong total");
    report("stream across threads", "runtime_stream_across_threads", count, runtime, baseline);
}

}  // namespace

int main() {
    std::puts("# ratio lines: runtime time / plain standard-library time for the same work, lower is better");
    postedWork(1'000'000);
    synchronousAwaits(1'000'000);
    crossThreadStream(1'000'000);
    return 0;
}
