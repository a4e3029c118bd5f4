#include "bench/MainLoopTurns.h"

#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo::bench {

void turnUntil(RunLoop& loop, const std::function<void()>& turn, const std::function<bool()>& done,
               double timeoutSeconds, const std::string& failure) {
    // Stops when a turn of ours saw it done, so that none is left posted when this returns.
    bool stopped = false;
    std::function<void()> again = [&] {
        turn();
        stopped = done();
        if (!stopped) loop.post(again);
    };
    loop.post(again);
    if (!loop.driveUntil([&] { return stopped; }, timeoutSeconds)) fail(failure);
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
