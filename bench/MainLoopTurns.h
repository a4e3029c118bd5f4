#pragma once

// A turn of the benchmark's own that keeps coming back to a run loop, after whatever the loop ran since
// its last turn, until a condition holds: how the main-loop benchmarks drive the loop and see how long
// it is held.

#include "platform/runtime/Task.h"

#include <functional>
#include <string>

namespace glimmo {

class RunLoop;

namespace bench {

// Drives `loop`, posting `turn` to it again and again, until `done()`; ends the program with `failure`
// when that takes more than `timeoutSeconds`.
void turnUntil(RunLoop& loop, const std::function<void()>& turn, const std::function<bool()>& done,
               double timeoutSeconds, const std::string& failure);

// Runs `work` on `loop` to its end: the longest hold of the loop meanwhile, in seconds; ends the program
// with `failure` when that takes more than `timeoutSeconds`.
double longestHoldUntilDone(RunLoop& loop, Task<void> work, double timeoutSeconds, const std::string& failure);

} // namespace bench
} // namespace glimmo
