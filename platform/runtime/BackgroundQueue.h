#pragma once

#include "platform/runtime/Task.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace glimmo {

// One background thread that runs work items in the order they were posted. Started on the first
// post; the destructor runs what is still queued and joins the thread.
class BackgroundQueue {
public:
    BackgroundQueue() = default;
    ~BackgroundQueue();
    BackgroundQueue(const BackgroundQueue&) = delete;
    BackgroundQueue& operator=(const BackgroundQueue&) = delete;

    void post(std::function<void()> work);

    // Runs `work` on the queue's thread, after what was posted before; the awaiting task resumes on its
    // own executor with what `work` returned or threw. The queue must live until the task is awaited.
    template <class Work>
    Task<std::invoke_result_t<Work&>> perform(Work work);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> items_;
    bool stopping_ = false;
    std::thread thread_;
};

template <class Work>
Task<std::invoke_result_t<Work&>> BackgroundQueue::perform(Work work) {
    using Result = std::invoke_result_t<Work&>;
    // Shared, not copied: the work may hold large inputs, and std::function copies what it holds.
    auto shared = std::make_shared<Work>(std::move(work));
    return withContinuation<Result>([this, shared](Continuation<Result> continuation) {
        post([shared, continuation] {
            try {
                if constexpr (std::is_void_v<Result>) {
                    (*shared)();
                    continuation.resume();
                } else {
                    continuation.resume((*shared)());
                }
            } catch (...) {
                continuation.resumeThrowing(std::current_exception());
            }
        });
    });
}

} // namespace glimmo
