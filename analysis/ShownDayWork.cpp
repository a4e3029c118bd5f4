#include "analysis/ShownDayWork.h"

#include "platform/runtime/RunLoop.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace glimmo {
namespace {

// Hands the work's end to its awaiter.
Task<void> relayed(Task<void> work, Continuation<void> continuation) {
    try {
        co_await std::move(work);
        continuation.resume();
    } catch (...) {
        continuation.resumeThrowing(std::current_exception());
    }
}

} // namespace

void ShownDayWork::show(Date day) {
    if (shown_ != day) {
        shownSince_ = shown_ ? RunLoop::main().now() : Date::distantPast();
        shown_ = day;
    }
    forgetFinished();
    for (const Running& running : running_) {
        if (running.day != day) {
            running.task.cancel();
        }
    }
}

Task<void> ShownDayWork::run(Date day, Task<void> work) {
    forgetFinished();
    auto pending = std::make_shared<std::optional<Task<void>>>(std::move(work));
    auto started = std::make_shared<TaskHandle>();
    // The handle is set before the cancel handler can be installed, so the handler always finds it.
    auto running = withContinuation<void>(
        [this, day, pending, started](Continuation<void> continuation) {
            *started = startTask(RunLoop::main(), relayed(std::move(**pending), continuation));
            running_.push_back({day, *started});
        },
        [started] { started->cancel(); });
    co_await std::move(running);
}

Task<void> ShownDayWork::settled(Date day) {
    const Date now = RunLoop::main().now();
    // Before any day is shown, `day` is about to be the first.
    Date since = Date::distantPast();
    if (shown_) {
        since = *shown_ == day ? shownSince_ : now;
    }
    const double left = settleSeconds - now.timeIntervalSince(since);
    if (left > 0) {
        auto waiting = sleepFor(left);
        co_await std::move(waiting);
    }
}

void ShownDayWork::forgetFinished() {
    running_.erase(std::remove_if(running_.begin(), running_.end(),
                                  [](const Running& running) { return running.task.isFinished(); }),
                   running_.end());
}

} // namespace glimmo
