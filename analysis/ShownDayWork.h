#pragma once

#include "platform/runtime/Date.h"
#include "platform/runtime/Task.h"

#include <vector>

namespace glimmo {

// The work a model runs for the days it shows, each piece a task of its own, so that a move to another
// day cancels what is still under way for the days left: their reports waiting to be merged, their
// prompts, their requests. A day stepped past sends nothing, however long its report waited. Main
// thread only.
class ShownDayWork {
public:
    ShownDayWork() = default;
    ShownDayWork(const ShownDayWork&) = delete;
    ShownDayWork& operator=(const ShownDayWork&) = delete;

    // Runs `work` for `day` on the main loop as a task of its own and ends with it, with what it threw
    // (CancellationError once the day was left). A cancel of the awaiting task cancels the work too.
    Task<void> run(Date day, Task<void> work);
    // Cancels the work of every day but `day`; the work of `day` itself goes on.
    void cancelAllBut(Date day);

private:
    struct Running {
        Date day;
        TaskHandle task;
    };

    void forgetFinished();

    std::vector<Running> running_;
};

} // namespace glimmo
