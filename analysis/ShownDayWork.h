#pragma once

#include "platform/runtime/Date.h"
#include "platform/runtime/Task.h"

#include <optional>
#include <vector>

namespace glimmo {

// The days a model shows and the work it runs for them, each piece a task of its own, so that a move to
// another day cancels what is still under way for the days left: their reports waiting to be merged,
// their prompts, their requests. And what would ask an AI service for a day waits until the day has
// stayed shown a moment: clicks on the day arrow closer together than that pass days over, and a day
// only passed over asks nothing, however fast its report is made. Main thread only; times are the main
// loop's.
class ShownDayWork {
public:
    // How long a day moved to stays shown before anything is asked for it.
    static constexpr double settleSeconds = 0.5;

    ShownDayWork() = default;
    ShownDayWork(const ShownDayWork&) = delete;
    ShownDayWork& operator=(const ShownDayWork&) = delete;

    // `day` is shown from now on: the work of every other day is cancelled. The first day shown counts
    // as shown long since.
    void show(Date day);
    // Runs `work` for `day` on the main loop as a task of its own and ends with it, with what it threw
    // (CancellationError once the day was left). A cancel of the awaiting task cancels the work too.
    Task<void> run(Date day, Task<void> work);
    // Ends once `day` has been shown for settleSeconds, at once when it has been shown as long or is the
    // first day shown; another day not shown yet (its refresh is about to show it) counts from now.
    // Cancellable.
    Task<void> settled(Date day);

private:
    struct Running {
        Date day;
        TaskHandle task;
    };

    void forgetFinished();

    std::optional<Date> shown_;
    Date shownSince_;
    std::vector<Running> running_;
};

} // namespace glimmo
