#include "tests/app/crash-safety/Stores.h"

#include "platform/foundation/Log.h"
#include "tests/support/TemporaryDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <cstdlib>
#include <random>
#include <thread>

namespace glimmo::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;

// Starts the writer on `folder` (in `mode`, if given) and returns once it says it is ready; -1 when it
// could not start.
pid_t startWriter(const char* program, const fs::path& folder, int firstVersion, const char* mode = nullptr) {
    int output[2];
    if (::pipe(output) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    const std::string version = std::to_string(firstVersion);
    char* const arguments[] = {const_cast<char*>(program), const_cast<char*>(folder.c_str()),
                               const_cast<char*>(version.c_str()), const_cast<char*>(mode), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, program, &actions, nullptr, arguments, environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    char ready[6] = {};
    const bool saidReady = pid > 0 && ::read(output[0], ready, sizeof ready) == sizeof ready;
    ::close(output[0]);
    if (pid > 0 && !saidReady) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

// Starts the writer on `folder` and kills it after `delay`; false when it did not start.
bool killedAfter(const fs::path& folder, int firstVersion, const char* mode, std::chrono::microseconds delay) {
    const pid_t pid = startWriter(std::getenv("GLIMMO_STORE_WRITER"), folder, firstVersion, mode);
    if (pid <= 0) {
        return false;
    }
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return true;
}

// Moments spread over two rounds of `round`, whose time differs from disk to disk, as this process takes it.
std::uniform_int_distribution<long long> momentsOverTwoRounds(const std::function<void()>& round) {
    const auto before = std::chrono::steady_clock::now();
    round();
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - before);
    return std::uniform_int_distribution<long long>(0, 2 * took.count());
}

TEST(CrashSafety, EachStoreIsOneWholeVersionWhateverMomentItsWriterIsKilledAt) {
    ASSERT_NE(std::getenv("GLIMMO_STORE_WRITER"), nullptr) << "GLIMMO_STORE_WRITER names the writer program";
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const TemporaryDirectory folder;
    std::mt19937 random(20261207);
    // A whole round of the three stores takes a few milliseconds; the kills spread over it.
    std::uniform_int_distribution<int> microseconds(0, 6000);
    int interruptedWrites = 0;

    for (int trial = 0; trial < 100 && !HasFailure(); ++trial) {
        ASSERT_TRUE(killedAfter(folder.path(), trial * 1000, nullptr, std::chrono::microseconds(microseconds(random))))
            << "the writer did not start";
        EXPECT_THAT(storeProblems(folder.path(), true), IsEmpty()) << "after kill " << trial;
        interruptedWrites += storeProblems(folder.path(), false).empty() ? 0 : 1; // a temporary file left
        Stores(folder.path()).write(trial * 1000 + 999);
        EXPECT_THAT(storeProblems(folder.path(), false), IsEmpty()) << "after the write that followed kill " << trial;
    }
    setLogSinkForTesting({});
    RecordProperty("interruptedWrites", interruptedWrites);
}

TEST(CrashSafety, EveryRecordStaysReadableWhateverMomentAConversionOrArchivingIsKilledAt) {
    ASSERT_NE(std::getenv("GLIMMO_STORE_WRITER"), nullptr) << "GLIMMO_STORE_WRITER names the writer program";
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const TemporaryDirectory folder;
    // A version is some ten writes and a flush: the kills spread over two versions.
    auto microseconds = momentsOverTwoRounds([&] { convertRecordFile(folder.path() / "measured", 0); });
    std::mt19937 random(20261208);

    for (int trial = 0; trial < 25 && !HasFailure(); ++trial) {
        ASSERT_TRUE(killedAfter(folder.path(), trial * 1000, "records", std::chrono::microseconds(microseconds(random))))
            << "the writer did not start";
        EXPECT_THAT(convertedRecordProblems(folder.path(), true), IsEmpty()) << "after kill " << trial;
        // Odd: a quit, which may write no past day, so no write of that day removes what a killed one left.
        convertRecordFile(folder.path(), trial * 1000 + 999);
        EXPECT_THAT(convertedRecordProblems(folder.path(), false), IsEmpty()) << "after the write that followed kill " << trial;
    }
    setLogSinkForTesting({});
}

// A kill during "Clear All Data" leaves a store that the next start finds whole or finds cleared, never in
// part: the clear names what it removes before it removes anything.
TEST(CrashSafety, AClearKilledAtAnyMomentLeavesTheStoreWholeOrCleared) {
    ASSERT_NE(std::getenv("GLIMMO_STORE_WRITER"), nullptr) << "GLIMMO_STORE_WRITER names the writer program";
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const TemporaryDirectory folder;
    auto microseconds = momentsOverTwoRounds([&] { convertThenClear(folder.path() / "measured", 0); });
    std::mt19937 random(20261209);
    int cleared = 0;
    for (int trial = 0; trial < 25 && !HasFailure(); ++trial) {
        ASSERT_TRUE(killedAfter(folder.path(), trial * 1000, "clear", std::chrono::microseconds(microseconds(random))))
            << "the writer did not start";
        EXPECT_THAT(clearedOrWholeProblems(folder.path()), IsEmpty()) << "after kill " << trial;
        cleared += fs::exists(folder.path() / ActivityRecordFile::fileName) ? 0 : 1;
    }
    setLogSinkForTesting({});
    RecordProperty("cleared", cleared);
}

} // namespace
} // namespace glimmo::testing
