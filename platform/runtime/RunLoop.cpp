#include "platform/runtime/RunLoop.h"

#include <mutex>
#include <stdexcept>
#include <utility>

namespace glimmo {

namespace {
std::mutex mainLoopMutex;
std::shared_ptr<RunLoop> mainLoop;
}  // namespace

std::shared_ptr<Timer> RunLoop::scheduleTimer(double interval, bool repeats, std::function<void()> fire) {
    if (!(interval >= minimumTimerInterval)) interval = minimumTimerInterval;  // also catches NaN
    return makeTimer(interval, repeats, std::move(fire));
}

bool RunLoop::driveUntil(const std::function<bool()>&, double) {
    throw std::logic_error("This run loop is driven by its own event loop and cannot be run by a caller");
}

RunLoop& RunLoop::main() {
    const std::lock_guard lock(mainLoopMutex);
    if (!mainLoop) {
        throw std::logic_error("RunLoop::main() was called before a main run loop was installed with RunLoop::setMain()");
    }
    return *mainLoop;
}

bool RunLoop::hasMain() {
    const std::lock_guard lock(mainLoopMutex);
    return mainLoop != nullptr;
}

bool RunLoop::postToMain(std::function<void()> work) {
    {
        const std::lock_guard lock(mainLoopMutex);
        if (mainLoop) {
            mainLoop->post(std::move(work));
            return true;
        }
    }
    work = nullptr;  // outside the lock: what it holds may post again
    return false;
}

void RunLoop::setMain(std::shared_ptr<RunLoop> loop) {
    std::shared_ptr<RunLoop> previous;
    {
        const std::lock_guard lock(mainLoopMutex);
        previous = std::exchange(mainLoop, std::move(loop));
    }
    // `previous` is released outside the lock: its destructor may run arbitrary work.
}

}  // namespace glimmo
