#pragma once

// Internal: the timers of ManualRunLoop and RealTimeRunLoop, on an abstract time line (virtual seconds or
// steady-clock seconds).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/runtime/RunLoop.h"

namespace glimmo::detail {

class TimerQueue : public std::enable_shared_from_this<TimerQueue> {
public:
    static std::shared_ptr<TimerQueue> make();

    std::shared_ptr<Timer> schedule(double now, double interval, bool repeats, std::function<void()> fire);

    std::optional<double> nextDueTime() const;
    std::size_t count() const;

    // Fires the earliest timer when it is due at `time` or before; returns false when none is. A repeating
    // timer is rescheduled before its callback runs, to the first period after `time`.
    bool fireNext(double time);

    // Invalidates every timer, releasing its callback (for a loop going away).
    void invalidateAll();

private:
    class Entry;
    using Key = std::pair<double, std::uint64_t>;  // due time, then scheduling order

    TimerQueue() = default;
    void remove(const Entry& entry);

    mutable std::mutex mutex_;
    std::map<Key, std::shared_ptr<Entry>> entries_;
    std::uint64_t nextSequence_ = 0;
};

}  // namespace glimmo::detail
