#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Runs `path` and returns its wait status; kills it after `limit`.
int runBounded(const char* path, std::chrono::seconds limit) {
    pid_t pid = 0;
    char* const argv[] = {const_cast<char*>(path), nullptr};
    if (posix_spawn(&pid, path, nullptr, nullptr, argv, environ) != 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return status;
}

TEST(QtApplicationExitTest, AnApplicationLeftToTheProcessExitShutsDownCleanly) {
    const int status = runBounded(GLIMMO_QT_EXIT_PROGRAM, std::chrono::seconds(60));
    ASSERT_NE(status, -1) << "could not start " << GLIMMO_QT_EXIT_PROGRAM;
    ASSERT_NE(status, -2) << "the program did not end";
    EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
