#include "platform/runtime/Task.h"

#include <cstdio>
#include <string>

namespace glimmo {

const char* CancellationError::what() const noexcept { return "The task was cancelled"; }

namespace detail {

bool CancellationState::isCancelled() const {
    const std::lock_guard lock(mutex_);
    return cancelled_;
}

void CancellationState::cancel() {
    std::shared_ptr<std::function<void()>> handler;
    {
        const std::lock_guard lock(mutex_);
        if (cancelled_) return;
        cancelled_ = true;
        handler = std::exchange(handler_, nullptr);
    }
    if (handler && *handler) (*handler)();
}

bool CancellationState::setHandler(std::function<void()> handler) {
    const std::lock_guard lock(mutex_);
    if (cancelled_) return false;
    handler_ = std::make_shared<std::function<void()>>(std::move(handler));
    return true;
}

void CancellationState::clearHandler() {
    std::shared_ptr<std::function<void()>> released;  // destroyed outside the lock
    const std::lock_guard lock(mutex_);
    released = std::exchange(handler_, nullptr);
}

std::atomic<std::size_t>& pendingContinuations() {
    static std::atomic<std::size_t> count{0};
    return count;
}

std::exception_ptr droppedContinuationError() {
    return std::make_exception_ptr(std::logic_error("A continuation was dropped without being resumed"));
}

void throwRunBlockingTimeout(double timeoutSeconds) {
    throw RunBlockingTimeout("runBlocking: the task did not finish within " + std::to_string(timeoutSeconds) +
                             " s of real time");
}

namespace {

// The root of a detached task: owns it, reports what escapes it, and frees itself when done.
struct DetachedRoot {
    struct promise_type : PromiseBase {
        DetachedRoot get_return_object() noexcept {
            return DetachedRoot{std::coroutine_handle<promise_type>::from_promise(*this)};
        }
        std::suspend_never final_suspend() const noexcept { return {}; }
        void return_void() const noexcept {}
        void unhandled_exception() const noexcept {
            std::fputs("Unhandled error in a task's bookkeeping\n", stderr);
        }
    };
    std::coroutine_handle<promise_type> handle;
};

void reportEscapedError(const char* description) {
    std::fprintf(stderr, "A task ended with an unhandled error: %s\n", description);
}

}  // namespace
}  // namespace detail

std::size_t pendingContinuationCount() { return detail::pendingContinuations().load(); }

struct TaskHandle::State {
    const std::shared_ptr<detail::CancellationState> cancellation = std::make_shared<detail::CancellationState>();
    std::atomic<bool> finished{false};
};

namespace {

detail::DetachedRoot runDetached(Task<void> task, std::shared_ptr<TaskHandle::State> state) {
    try {
        co_await std::move(task);
    } catch (const CancellationError&) {
        // Cancellation is an ordinary way for a task to end.
    } catch (const std::exception& error) {
        detail::reportEscapedError(error.what());
    } catch (...) {
        detail::reportEscapedError("an exception not derived from std::exception");
    }
    state->finished = true;
}

// Starts the root when the executor runs it; destroys it unstarted if the executor drops the work.
class PendingStart {
public:
    explicit PendingStart(std::coroutine_handle<> root) : root_(root) {}
    PendingStart(const PendingStart&) = delete;
    PendingStart& operator=(const PendingStart&) = delete;
    ~PendingStart() {
        if (root_) root_.destroy();
    }
    void start() {
        if (root_) std::exchange(root_, {}).resume();
    }

private:
    std::coroutine_handle<> root_;
};

}  // namespace

void TaskHandle::cancel() const {
    if (state_) state_->cancellation->cancel();
}

bool TaskHandle::isCancelled() const { return state_ && state_->cancellation->isCancelled(); }

bool TaskHandle::isFinished() const { return state_ && state_->finished.load(); }

TaskHandle startTask(Executor& executor, Task<void> task) {
    auto state = std::make_shared<TaskHandle::State>();
    const auto root = runDetached(std::move(task), state).handle;
    root.promise().context = detail::TaskContext{&executor, state->cancellation};
    executor.post([pending = std::make_shared<PendingStart>(root)] { pending->start(); });
    return TaskHandle(std::move(state));
}

Task<void> sleepFor(double seconds) {
    Executor& executor = co_await currentExecutor();
    auto* const loop = dynamic_cast<RunLoop*>(&executor);
    if (!loop) throw std::logic_error("sleepFor needs a task running on a RunLoop");
    co_await checkCancellation();
    if (!(seconds > 0)) {
        co_await withContinuation<void>([](Continuation<void> continuation) { continuation.resume(); });  // one turn
        co_return;
    }

    struct Sleep {
        std::optional<Continuation<void>> continuation;
        std::shared_ptr<Timer> timer;
    };
    const auto sleep = std::make_shared<Sleep>();
    // Built in its own statement: GCC 12 destroys lambda temporaries inside a co_await operand twice.
    auto waiting = withContinuation<void>(
        [sleep, loop, seconds](Continuation<void> continuation) {
            sleep->continuation = continuation;
            sleep->timer = loop->scheduleTimer(seconds, false, [continuation] { continuation.resume(); });
        },
        [sleep] { sleep->continuation->resumeThrowing(std::make_exception_ptr(CancellationError{})); });
    try {
        co_await std::move(waiting);
    } catch (...) {
        if (sleep->timer) sleep->timer->invalidate();
        throw;
    }
}

}  // namespace glimmo
