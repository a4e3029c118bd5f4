#pragma once

// Internal: the posted work of ManualRunLoop and RealTimeRunLoop.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace glimmo::detail {

class WorkQueue {
public:
    // Thread-safe; wakes a waiting loop.
    void post(std::function<void()> work);

    // Runs the oldest item (outside the lock); false when there was none.
    bool runOne();
    bool isEmpty() const;

    // Returns when work is posted, wake() or requestStop() is called or `deadline` passes.
    void waitUntil(std::chrono::steady_clock::time_point deadline);
    void wake();

    // A stop request for the loop, kept under the queue's lock so that the requesting thread is done
    // with the queue before the loop can see the request (and perhaps destroy the queue).
    void requestStop();
    // True once per request.
    bool takeStopRequest();

    // Drops all queued work, including work posted by the destructors of what is dropped.
    void discardAll();

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> items_;
    bool woken_ = false;
    bool stopRequested_ = false;
};

}  // namespace glimmo::detail
