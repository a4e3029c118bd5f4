#include "tests/support/ForkedRun.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <thread>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define GLIMMO_SANITIZER_SHADOW 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define GLIMMO_SANITIZER_SHADOW 1
#endif

namespace glimmo::testing {

namespace {

constexpr int exceptionExitCode = 125;

void capAddressSpace() {
#ifndef GLIMMO_SANITIZER_SHADOW
    const rlimit limit{rlim_t{2} << 30, rlim_t{2} << 30};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
}

int runChild(const std::function<int()>& body) {
    capAddressSpace();
    try {
        return body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "the child threw: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "the child threw\n");
    }
    return exceptionExitCode;
}

}  // namespace

std::optional<int> exitCodeInForkedChild(const std::function<int()>& body, std::chrono::seconds deadline) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        return std::nullopt;
    }
    if (pid == 0) {
        const int code = runChild(body);
        std::fflush(nullptr);
        ::_exit(code);
    }
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            std::fprintf(stderr, "the child ran past its deadline and was killed\n");
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
}

}  // namespace glimmo::testing
