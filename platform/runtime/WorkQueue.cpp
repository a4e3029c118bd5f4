#include "platform/runtime/WorkQueue.h"

#include <utility>

namespace glimmo::detail {

// Both signal under the lock: once the loop has seen the new state it may return and destroy this
// queue, so the poster must be done with the condition variable by then.
void WorkQueue::post(std::function<void()> work) {
    const std::lock_guard lock(mutex_);
    items_.push_back(std::move(work));
    changed_.notify_all();
}

bool WorkQueue::runOne() {
    std::function<void()> work;
    {
        const std::lock_guard lock(mutex_);
        if (items_.empty()) return false;
        work = std::move(items_.front());
        items_.pop_front();
    }
    if (work) work();
    return true;
}

bool WorkQueue::isEmpty() const {
    const std::lock_guard lock(mutex_);
    return items_.empty();
}

void WorkQueue::waitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline, [this] { return !items_.empty() || woken_; });
    woken_ = false;
}

void WorkQueue::wake() {
    const std::lock_guard lock(mutex_);
    woken_ = true;
    changed_.notify_all();
}

void WorkQueue::requestStop() {
    const std::lock_guard lock(mutex_);
    stopRequested_ = true;
    woken_ = true;
    changed_.notify_all();
}

bool WorkQueue::takeStopRequest() {
    const std::lock_guard lock(mutex_);
    return std::exchange(stopRequested_, false);
}

void WorkQueue::discardAll() {
    for (;;) {
        std::deque<std::function<void()>> taken;
        {
            const std::lock_guard lock(mutex_);
            taken.swap(items_);
        }
        if (taken.empty()) return;
        taken.clear();  // outside the lock: a destructor may post again
    }
}

}  // namespace glimmo::detail
