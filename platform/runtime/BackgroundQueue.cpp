#include "platform/runtime/BackgroundQueue.h"

namespace glimmo {

BackgroundQueue::~BackgroundQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void BackgroundQueue::post(std::function<void()> work) {
    {
        const std::lock_guard lock(mutex_);
        items_.push_back(std::move(work));
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
        }
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
