#include "platform/runtime/TimerQueue.h"

#include <cmath>

namespace glimmo::detail {

class TimerQueue::Entry final : public Timer {
public:
    Entry(std::weak_ptr<TimerQueue> queue, double interval, bool repeats, std::function<void()> fire)
        : queue_(std::move(queue)),
          interval_(interval),
          repeats_(repeats),
          fire_(std::make_shared<const std::function<void()>>(std::move(fire))) {}

    void invalidate() override {
        std::shared_ptr<const std::function<void()>> released;  // destroyed outside the lock
        {
            const std::lock_guard lock(mutex_);
            if (!valid_) return;
            valid_ = false;
            released = std::exchange(fire_, nullptr);
        }
        if (const auto queue = queue_.lock()) queue->remove(*this);
    }

    bool isValid() const override {
        const std::lock_guard lock(mutex_);
        return valid_;
    }

private:
    friend class TimerQueue;

    const std::weak_ptr<TimerQueue> queue_;
    const double interval_;
    const bool repeats_;
    mutable std::mutex mutex_;
    bool valid_ = true;
    std::shared_ptr<const std::function<void()>> fire_;
    Key key_{};  // guarded by the queue's mutex
};

std::shared_ptr<TimerQueue> TimerQueue::make() { return std::shared_ptr<TimerQueue>(new TimerQueue()); }

std::shared_ptr<Timer> TimerQueue::schedule(double now, double interval, bool repeats, std::function<void()> fire) {
    auto entry = std::make_shared<Entry>(weak_from_this(), interval, repeats, std::move(fire));
    const std::lock_guard lock(mutex_);
    entry->key_ = Key{now + interval, nextSequence_++};
    entries_.emplace(entry->key_, entry);
    return entry;
}

std::optional<double> TimerQueue::nextDueTime() const {
    const std::lock_guard lock(mutex_);
    if (entries_.empty()) return std::nullopt;
    return entries_.begin()->first.first;
}

std::size_t TimerQueue::count() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

bool TimerQueue::fireNext(double time) {
    std::shared_ptr<Entry> entry;
    std::shared_ptr<const std::function<void()>> fire;
    {
        const std::lock_guard lock(mutex_);
        if (entries_.empty() || entries_.begin()->first.first > time) return false;
        const double due = entries_.begin()->first.first;
        entry = std::move(entries_.begin()->second);
        entries_.erase(entries_.begin());

        const std::lock_guard entryLock(entry->mutex_);
        if (!entry->valid_) return true;  // invalidated on another thread while we took it
        fire = entry->fire_;
        if (entry->repeats_) {
            double next = due + entry->interval_;
            if (next <= time) {  // the loop fell behind: skip the periods that were missed
                next += std::ceil((time - next) / entry->interval_) * entry->interval_;
                if (next <= time) next += entry->interval_;
            }
            entry->key_ = Key{next, nextSequence_++};
            entries_.emplace(entry->key_, entry);
        } else {
            entry->valid_ = false;
            entry->fire_ = nullptr;
        }
    }
    if (fire && *fire) (*fire)();
    return true;
}

void TimerQueue::invalidateAll() {
    std::map<Key, std::shared_ptr<Entry>> taken;
    {
        const std::lock_guard lock(mutex_);
        taken.swap(entries_);
    }
    // Callbacks are released outside the lock: their destructors may schedule or post.
    for (const auto& [key, entry] : taken) entry->invalidate();
}

void TimerQueue::remove(const Entry& entry) {
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(entry.key_);
    if (found != entries_.end() && found->second.get() == &entry) entries_.erase(found);
}

}  // namespace glimmo::detail
