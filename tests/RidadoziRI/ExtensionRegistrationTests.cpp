// The GitHub extensions are registered with cmark-gfm once per process, however many threads ask for
// them first. The installed cmark-gfm guards its own registration with a plain flag, so two threads
// that both see it unset register every extension twice, both appending to the same process-wide list.

#include "RidadoziRI/CmarkSupport.h"

#include <cmark-gfm/registry.h>

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace ridadozi {
namespace {

int registeredExtensionCount() {
    cmark_mem* memory = cmark_get_default_mem_allocator();
    cmark_llist* extensions = cmark_list_syntax_extensions(memory);
    int count = 0;
    for (cmark_llist* entry = extensions; entry; entry = entry->next) ++count;
    cmark_llist_free(memory, extensions);
    return count;
}

// Runs in a fresh process in which nothing has been registered yet: many threads ask at the same moment.
[[noreturn]] void registerFromManyThreadsAndExitWithTheCount() {
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < 16; ++i) {
        threads.emplace_back([&go] {
            while (!go.load()) std::this_thread::yield();
            cmark::ensureExtensionsRegistered();
        });
    }
    go = true;
    for (auto& thread : threads) thread.join();
    std::_Exit(registeredExtensionCount());
}

TEST(ExtensionRegistrationDeathTest, ManyThreadsAtOnceRegisterTheExtensionsOnce) {
    // The child process runs this test from its start, so nothing before the statement may register.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int round = 0; round < 5; ++round) {
        int childCount = -1;
        EXPECT_EXIT(registerFromManyThreadsAndExitWithTheCount(),
                    [&childCount](int status) {
                        childCount = WIFEXITED(status) ? WEXITSTATUS(status) : 1000;  // 1000: it crashed
                        return true;
                    },
                    "");
        // Only the parent gets here with the child's count; a child re-running this test skips the
        // rounds before its own, and must not register on the way.
        if (childCount == -1) continue;
        cmark::ensureExtensionsRegistered();
        ASSERT_GT(registeredExtensionCount(), 0);
        EXPECT_EQ(childCount, registeredExtensionCount()) << "round " << round;
    }
}

} // namespace
} // namespace ridadozi
