#include "platform/runtime/BackgroundQueue.h"

namespace glimmo {

BackgroundQueue::~BackgroundQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    closeHandles();
}

// Signals under the lock: once the thread has seen the work, its owner may destroy the queue, so the
// poster must be done with the condition variable by then.
void BackgroundQueue::post(std::function<void()> work) {
    const std::lock_guard lock(mutex_);
    items_.push_back(std::move(work));
    // A stopping queue starts no thread again: what comes after the last one ended is dropped with the queue.
    if (!thread_.joinable() && !stopping_) {
        thread_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

bool BackgroundQueue::isCurrent() const {
    const std::lock_guard lock(mutex_);
    return thread_.get_id() == std::this_thread::get_id();
}

void BackgroundQueue::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !items_.empty() || stopping_; });
        if (items_.empty()) {
            return;
        }
        std::function<void()> work = std::move(items_.front());
        items_.pop_front();
        lock.unlock();
        work();
        work = nullptr;
        lock.lock();
    }
}

} // namespace glimmo
