#pragma once

#include "platform/runtime/Executor.h"
#include "platform/runtime/Task.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

namespace glimmo {

// One background thread that runs work items in the order they were posted. Started on the first
// post; the destructor runs what is still queued and joins the thread.
class BackgroundQueue : public Executor {
public:
    BackgroundQueue() = default;
    ~BackgroundQueue() override;
    BackgroundQueue(const BackgroundQueue&) = delete;
    BackgroundQueue& operator=(const BackgroundQueue&) = delete;

    void post(std::function<void()> work) override;
    bool isCurrent() const override;

    // Runs `work` on the queue's thread, after what was posted before; the awaiting task resumes on its
    // own executor with what `work` returned, or a copy of what it threw (ErrorValue). The queue must
    // live until the task is awaited. Cancelling the task before `work` has begun resumes it at once with
    // CancellationError, and `work` never runs: a quit waits at most for the work under way, not for
    // what a cancelled task queued after it. Work that has begun runs to its end, and its task gets what
    // it returned.
    template <class Work>
    Task<std::invoke_result_t<Work&>> perform(Work work);

    // Runs `task` on the queue's thread: it starts there and goes on there after each await, so what
    // it does between its awaits (writing a request, decoding a reply) never holds the caller's loop.
    // The awaiting task resumes on its own executor with what `task` returned, or a copy of what it
    // threw; cancelling it cancels `task`. The queue must live until the task is awaited.
    template <class T>
    Task<T> performTask(Task<T> task);

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> items_;
    bool stopping_ = false;
    std::thread thread_;
};

namespace detail {

// The continuation of one item of perform(), taken by whichever comes first: the item as it begins, or
// its awaiter's cancellation. Owned by the item, so an item dropped unrun drops the continuation too.
template <class Result>
struct PerformedItem {
    std::optional<Continuation<Result>> take() {
        const std::lock_guard lock(mutex);
        return std::exchange(continuation, std::nullopt);
    }
    std::mutex mutex;
    std::optional<Continuation<Result>> continuation;
};

}  // namespace detail

template <class Work>
Task<std::invoke_result_t<Work&>> BackgroundQueue::perform(Work work) {
    using Result = std::invoke_result_t<Work&>;
    // Shared, not copied: the work may hold large inputs, and std::function copies what it holds. Handed
    // on to the item, which the queue's thread lets go of: the inputs are not freed on the awaiting loop.
    auto shared = std::make_shared<Work>(std::move(work));
    // A task cancelled already queues nothing but the inputs, let go of where the work would have run:
    // the queue's thread could begin the work before the cancel handler is installed.
    if (co_await isTaskCancelled()) {
        post([shared = std::move(shared)] {});
        throw CancellationError{};
    }
    auto item = std::make_shared<detail::PerformedItem<Result>>();
    const std::weak_ptr<detail::PerformedItem<Result>> cancellable = item;
    auto performing = withContinuation<Result>(
        [this, shared = std::move(shared), item = std::move(item)](Continuation<Result> continuation) mutable {
            item->continuation = continuation;
            post([shared = std::move(shared), item = std::move(item)] {
                const auto continuation = item->take();
                if (!continuation) return;  // its task was cancelled first
                try {
                    if constexpr (std::is_void_v<Result>) {
                        (*shared)();
                        continuation->resume();
                    } else {
                        continuation->resume((*shared)());
                    }
                } catch (...) {
                    continuation->resumeThrowing(std::current_exception());
                }
            });
        },
        // Installed once `start` has run, so the item already holds the continuation.
        [cancellable] {
            const auto item = cancellable.lock();
            if (!item) return;
            if (const auto continuation = item->take()) continuation->resumeThrowing(std::make_exception_ptr(CancellationError{}));
        });
    if constexpr (std::is_void_v<Result>) {
        co_await std::move(performing);
    } else {
        co_return co_await std::move(performing);
    }
}

namespace detail {

template <class T>
Task<void> relayOutcome(Task<T> task, Continuation<T> continuation) {
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            continuation.resume();
        } else {
            continuation.resume(co_await std::move(task));
        }
    } catch (...) {
        continuation.resumeThrowing(std::current_exception());
    }
}

} // namespace detail

template <class T>
Task<T> BackgroundQueue::performTask(Task<T> task) {
    auto pending = std::make_shared<std::optional<Task<T>>>(std::move(task));
    auto started = std::make_shared<TaskHandle>();
    // The handle is set before the cancel handler can be installed, so the handler always finds it.
    return withContinuation<T>(
        [this, pending, started](Continuation<T> continuation) {
            *started = startTask(*this, detail::relayOutcome(std::move(**pending), continuation));
        },
        [started] { started->cancel(); });
}

} // namespace glimmo
