#include "bench/MainLoopTurns.h"

#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>
#include <chrono>

namespace glimmo::bench {

void turnUntil(RunLoop& loop, const std::function<void()>& turn, const std::function<bool()>& done,
               double timeoutSeconds, const std::string& failure) {
    const auto deadline = SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(
                                                   std::chrono::duration<double>(timeoutSeconds));
    // Each turn is posted from here, after the loop has handed back, never from inside the loop: a turn
    // that posts the next one keeps a loop that runs until it is idle busy for as long as the awaited
    // work takes, which on a loaded machine is more turns than such a loop allows.
    for (;;) {
        bool ran = false;
        loop.post([&] {
            turn();
            ran = true;
        });
        const double left = seconds(deadline - SteadyClock::now());
        if (!loop.driveUntil([&] { return ran; }, std::max(left, 0.0))) fail(failure);
        if (done()) return;
        if (SteadyClock::now() > deadline) fail(failure);
    }
}

double longestHoldUntilDone(RunLoop& loop, Task<void> work, double timeoutSeconds, const std::string& failure) {
    bool finished = false;
    LongestHold hold;
    const auto finish = [](Task<void> work, bool& finished) -> Task<void> {
        co_await std::move(work);
        finished = true;
    };
    startTask(loop, finish(std::move(work), finished));
    turnUntil(loop, [&] { hold.turn([] {}); }, [&] { return finished; }, timeoutSeconds, failure);
    return hold.seconds();
}

} // namespace glimmo::bench
