#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/RealTimeRunLoop.h"

// How the caller-driven loops meet other threads: conditions changed without a post, and loops
// destroyed while the thread that woke them is still on its way out.
namespace glimmo {
namespace {

// Waits (bounded) until `looks` reaches `count`.
void waitForLooks(const std::atomic<int>& looks, int count) {
    for (int i = 0; i < 1000 && looks.load() < count; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Another thread sets the flag once the loop has looked at it twice, i.e. while the loop waits with
// nothing posted: the loop must see it before its time limit.
template <class Loop>
void expectRunUntilSeesAConditionSetWithoutAPost() {
    Loop loop;
    std::atomic<int> looks{0};
    std::atomic<bool> flag{false};
    std::thread setter([&] {
        waitForLooks(looks, 2);
        flag = true;
    });
    const bool satisfied = loop.runUntil(
        [&] {
            ++looks;
            return flag.load();
        },
        5);
    setter.join();
    EXPECT_TRUE(satisfied);
}

TEST(RunLoopThreadingTest, RunUntilSeesAConditionSetByAnotherThreadWithoutAPost) {
    expectRunUntilSeesAConditionSetWithoutAPost<RealTimeRunLoop>();
    expectRunUntilSeesAConditionSetWithoutAPost<ManualRunLoop>();
}

// The loop returns as soon as the posted work has run and is destroyed at once, while the posting
// thread may still be inside post(): run under ThreadSanitizer this shows any use of the loop after
// the work became visible.
template <class Loop>
void destroyLoopsRightAfterWorkFromAnotherThreadRan() {
    for (int round = 0; round < 200; ++round) {
        auto loop = std::make_unique<Loop>();
        std::atomic<bool> ran{false};
        std::thread poster([&loop, &ran] { loop->post([&ran] { ran = true; }); });
        EXPECT_TRUE(loop->runUntil([&] { return ran.load(); }, 10));
        loop.reset();
        poster.join();
    }
}

TEST(RunLoopThreadingTest, LoopMayBeDestroyedAsSoonAsWorkPostedFromAnotherThreadRan) {
    destroyLoopsRightAfterWorkFromAnotherThreadRan<RealTimeRunLoop>();
    destroyLoopsRightAfterWorkFromAnotherThreadRan<ManualRunLoop>();
}

// Another thread posts to whichever loop is the main one while the main thread replaces it: each post
// reaches a live loop or is dropped, never one that is being destroyed.
TEST(RunLoopThreadingTest, PostsToTheMainLoopFromAnotherThreadNeverReachOneThatWent) {
    std::atomic<bool> replacing{true};
    std::atomic<int> posts{0};
    std::thread poster([&replacing, &posts] {
        for (; replacing; ++posts) RunLoop::postToMain([] {});
    });
    for (int round = 0; round < 3000; ++round) {
        const auto loop = std::make_shared<ManualRunLoop>();
        RunLoop::setMain(loop);
        for (const int before = posts; posts < before + 2;) std::this_thread::yield(); // one began after it came
        RunLoop::setMain(nullptr);
    }
    replacing = false;
    poster.join();
    EXPECT_FALSE(RunLoop::postToMain([] {}));
}

}  // namespace
}  // namespace glimmo
