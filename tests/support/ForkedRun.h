#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace glimmo::testing {

// Runs `body` in a forked copy of this process and gives the code it returned (125 when it threw);
// nullopt when the child was killed for running past `deadline` or ended by a signal (an abort). So
// a fault that hangs or runs away fails its test instead of stopping the suite. The child's address
// space is capped (unless a sanitizer needs it whole), so a runaway allocation fails there quickly.
// The child reports what went wrong on standard error.
std::optional<int> exitCodeInForkedChild(const std::function<int()>& body, std::chrono::seconds deadline);

}  // namespace glimmo::testing
