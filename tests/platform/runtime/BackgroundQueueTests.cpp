#include <gtest/gtest.h>

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

} // namespace
} // namespace glimmo
