#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace glimmo::testing {

// Whether a forked child of this test process may start threads: ThreadSanitizer cannot follow a child
// of a process that had threads when it forked and refuses to start any in it.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define GLIMMO_FORKED_CHILD_WITHOUT_THREADS 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define GLIMMO_FORKED_CHILD_WITHOUT_THREADS 1
#endif
#ifdef GLIMMO_FORKED_CHILD_WITHOUT_THREADS
inline constexpr bool forkedChildMayStartThreads = false;
#else
inline constexpr bool forkedChildMayStartThreads = true;
#endif

// Runs `body` in a forked copy of this process and gives the code it returned (125 when it threw);
// nullopt when the child was killed for running past `deadline` or ended by a signal (an abort). So
// a fault that hangs or runs away fails its test instead of stopping the suite. The child's address
// space is capped (unless a sanitizer needs it whole), so a runaway allocation fails there quickly.
// The child reports what went wrong on standard error.
std::optional<int> exitCodeInForkedChild(const std::function<int()>& body, std::chrono::seconds deadline);

}  // namespace glimmo::testing
