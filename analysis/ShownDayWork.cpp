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

void ShownDayWork::cancelAllBut(Date day) {
    forgetFinished();
    for (const Running& running : running_) {
        if (running.day != day) {
            running.task.cancel();
        }
    }
}

void ShownDayWork::forgetFinished() {
    running_.erase(std::remove_if(running_.begin(), running_.end(),
                                  [](const Running& running) { return running.task.isFinished(); }),
                   running_.end());
}

} // namespace glimmo
