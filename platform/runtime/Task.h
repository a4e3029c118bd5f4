#pragma once

// Asynchronous work as C++20 coroutines.
//
// A Task<T> starts lazily: nothing runs until it is awaited (`co_await task`) or started detached with
// startTask(). An awaited task runs on its parent's executor and shares its parent's cancellation; a
// detached task runs on the executor it was given. Whatever thread completes an awaited operation, the
// task resumes on its executor, and a failure reaches it as an exception of its own (ErrorValue). An
// executor destroyed first drops the resumption.

#include <atomic>
#include <concepts>
#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/runtime/ErrorValue.h"
#include "platform/runtime/Executor.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {

// Thrown into a cancelled task by the operation it was waiting for (or by checkCancellation()).
struct CancellationError : std::exception, CopiedAcrossThreads {
    const char* what() const noexcept override;
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

// Thrown by runBlocking when the task does not finish within its limit.
struct RunBlockingTimeout : std::runtime_error, CopiedAcrossThreads {
    using std::runtime_error::runtime_error;
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

template <class T = void>
class Task;

namespace detail {

// The cancellation flag of one detached task and everything it awaits, plus the cancel handler of the
// operation it is suspended on. Thread-safe.
class CancellationState {
public:
    bool isCancelled() const;
    // Sets the flag and calls the current handler (on the calling thread). Later calls do nothing.
    void cancel();
    // Installs the handler for the operation now awaited; returns false (not installing it) when the
    // task is already cancelled.
    bool setHandler(std::function<void()> handler);
    void clearHandler();

private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
    std::shared_ptr<std::function<void()>> handler_;
};

struct TaskContext {
    Executor* executor = nullptr;
    std::shared_ptr<CancellationState> cancellation;
};

class PromiseBase {
public:
    // Hands control back to the awaiting task. Whichever of the awaiter and the finishing task comes
    // second resumes the awaiting task, so a task that finishes without suspending returns to its awaiter
    // instead of nesting one more call: long loops of synchronous awaits keep a flat stack even where the
    // compiler does not turn symmetric transfer into a tail call.
    struct FinalAwaiter {
        bool await_ready() const noexcept { return false; }
        template <class Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> finished) const noexcept {
            PromiseBase& promise = finished.promise();
            if (promise.handoff.exchange(true, std::memory_order_acq_rel) && promise.continuation) {
                return promise.continuation;
            }
            return std::noop_coroutine();
        }
        void await_resume() const noexcept {}
    };

    std::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
    void unhandled_exception() noexcept { error_ = std::current_exception(); }

    TaskContext context;
    std::coroutine_handle<> continuation;
    std::atomic<bool> handoff{false};

protected:
    std::exception_ptr error_;
};

template <class Promise>
concept TaskPromise = std::derived_from<Promise, PromiseBase>;

template <class T>
class Promise : public PromiseBase {
public:
    Task<T> get_return_object() noexcept;

    template <class U = T>
        requires std::convertible_to<U&&, T>
    void return_value(U&& value) {
        value_.emplace(std::forward<U>(value));
    }

    T takeResult() {
        if (error_) std::rethrow_exception(error_);
        return std::move(*value_);
    }

private:
    std::optional<T> value_;
};

template <>
class Promise<void> : public PromiseBase {
public:
    Task<void> get_return_object() noexcept;
    void return_void() const noexcept {}
    void takeResult() {
        if (error_) std::rethrow_exception(error_);
    }
};

struct TaskAccess;

}  // namespace detail

template <class T>
class [[nodiscard]] Task {
public:
    using promise_type = detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() noexcept = default;
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    // False for a default-constructed or moved-from task.
    bool isValid() const noexcept { return static_cast<bool>(handle_); }

    struct Awaiter {
        Handle handle;
        bool await_ready() const noexcept { return false; }
        template <detail::TaskPromise Parent>
        bool await_suspend(std::coroutine_handle<Parent> parent) noexcept {
            auto& promise = handle.promise();
            promise.context = parent.promise().context;
            promise.continuation = parent;
            handle.resume();
            // True: the task suspended and will resume us when it finishes. False: it already finished.
            return !promise.handoff.exchange(true, std::memory_order_acq_rel);
        }
        T await_resume() { return handle.promise().takeResult(); }
    };

    // Runs the task on the awaiting task's executor; resumes with its value or rethrows its exception.
    Awaiter operator co_await() && { return Awaiter{checkedHandle()}; }
    Awaiter operator co_await() & { return Awaiter{checkedHandle()}; }

private:
    friend class detail::Promise<T>;
    friend struct detail::TaskAccess;
    explicit Task(Handle handle) noexcept : handle_(handle) {}

    Handle checkedHandle() const {
        if (!handle_) throw std::logic_error("co_await on an empty Task");
        if (handle_.done()) throw std::logic_error("co_await on a Task that has already run");
        return handle_;
    }
    void reset() noexcept {
        if (handle_) std::exchange(handle_, {}).destroy();
    }

    Handle handle_;
};

namespace detail {
template <class T>
Task<T> Promise<T>::get_return_object() noexcept {
    return Task<T>{std::coroutine_handle<Promise<T>>::from_promise(*this)};
}
inline Task<void> Promise<void>::get_return_object() noexcept {
    return Task<void>{std::coroutine_handle<Promise<void>>::from_promise(*this)};
}
}  // namespace detail

// The handle of a detached task. Dropping it does not cancel the task.
class TaskHandle {
public:
    TaskHandle() = default;

    // Cancels the task and whatever it is awaiting. Thread-safe.
    void cancel() const;
    bool isCancelled() const;
    bool isFinished() const;

    struct State;

private:
    friend TaskHandle startTask(Executor&, Task<void>);
    explicit TaskHandle(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

// Starts `task` on `executor` (from a later turn of its loop, never synchronously). An exception escaping
// the task is written to standard error and swallowed; a CancellationError ends it quietly.
TaskHandle startTask(Executor& executor, Task<void> task);

// Cancels every detached task that has not ended, on whatever executor, as its handle would. For the
// quit: work that no one else cancels (a question's answer, a shared download) ends and lets go of what
// its frames hold. Thread-safe.
void cancelAllTasks();

namespace detail {

struct ContextReader {
    TaskContext context;
    bool await_ready() const noexcept { return false; }
    template <TaskPromise Promise>
    bool await_suspend(std::coroutine_handle<Promise> current) noexcept {
        context = current.promise().context;
        return false;  // read the context without suspending
    }
};

struct CancelledQuery : ContextReader {
    bool await_resume() const noexcept { return context.cancellation && context.cancellation->isCancelled(); }
};

struct CancellationCheck : ContextReader {
    void await_resume() const {
        if (context.cancellation && context.cancellation->isCancelled()) throw CancellationError{};
    }
};

struct ExecutorQuery : ContextReader {
    Executor& await_resume() const noexcept { return *context.executor; }
};

}  // namespace detail

// Inside a task: `co_await isTaskCancelled()` is true once the task has been cancelled.
inline detail::CancelledQuery isTaskCancelled() noexcept { return {}; }
// Inside a task: `co_await checkCancellation()` throws CancellationError once the task has been cancelled.
inline detail::CancellationCheck checkCancellation() noexcept { return {}; }
// Inside a task: `co_await currentExecutor()` is the executor the task runs on.
inline detail::ExecutorQuery currentExecutor() noexcept { return {}; }

// ---- Bridge to callback APIs ----

namespace detail {

template <class T>
using StoredValue = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

// Continuations made and not yet completed (see pendingContinuationCount()).
std::atomic<std::size_t>& pendingContinuations();

// The outcome of one suspension and the coroutine waiting for it. The first completion wins.
template <class T>
class ContinuationState {
public:
    ContinuationState(std::coroutine_handle<> waiting, const Executor& executor)
        : waiting_(waiting), executor_(executor.handle()) {
        ++pendingContinuations();
    }

    bool complete(std::optional<StoredValue<T>> value, const std::exception_ptr& error) {
        {
            const std::lock_guard lock(mutex_);
            if (completed_) return false;
            completed_ = true;
            value_ = std::move(value);
            // Copied on the completing thread, which may go on holding the exception.
            if (error) error_.emplace(error);
        }
        // Through the executor's handle: an executor destroyed meanwhile drops the resumption.
        executor_.post([waiting = waiting_] { waiting.resume(); });
        // Counted down once the resumption is posted: whoever sees no pending continuation finds the
        // resumption on the executor.
        --pendingContinuations();
        return true;
    }

    bool isCompleted() const {
        const std::lock_guard lock(mutex_);
        return completed_;
    }

    // Called once, by the resumed task, which throws a fresh exception of its own for a failure. The
    // value is taken rather than shared: the state may be destroyed on the thread that completed it.
    T take() {
        std::optional<ErrorValue> error;
        {
            const std::lock_guard lock(mutex_);
            error = std::exchange(error_, std::nullopt);
            if (!error) {
                if constexpr (!std::is_void_v<T>) return std::move(*value_);
                else return;
            }
        }
        error->raise();
    }

private:
    mutable std::mutex mutex_;
    bool completed_ = false;
    std::optional<StoredValue<T>> value_;
    std::optional<ErrorValue> error_;
    const std::coroutine_handle<> waiting_;
    const Executor::Handle executor_;
};

std::exception_ptr droppedContinuationError();

template <class T>
class ContinuationAwaiter;

// Shared by all copies of one Continuation: when the last copy goes away unresumed, the task resumes with
// std::logic_error instead of waiting forever.
template <class T>
struct ContinuationOwner {
    explicit ContinuationOwner(std::shared_ptr<ContinuationState<T>> state) : state(std::move(state)) {}
    ContinuationOwner(const ContinuationOwner&) = delete;
    ContinuationOwner& operator=(const ContinuationOwner&) = delete;
    ~ContinuationOwner() { state->complete(std::nullopt, droppedContinuationError()); }
    const std::shared_ptr<ContinuationState<T>> state;
};

}  // namespace detail

// Resumes a task suspended in withContinuation. Copyable and thread-safe; only the first resume counts.
template <class T>
class Continuation {
public:
    void resume(detail::StoredValue<T> value) const
        requires(!std::is_void_v<T>)
    {
        owner_->state->complete(std::move(value), nullptr);
    }
    void resume() const
        requires std::is_void_v<T>
    {
        owner_->state->complete(std::monostate{}, nullptr);
    }
    // The awaiting task throws a copy of `error` of its own (see ErrorValue), whatever thread this is.
    void resumeThrowing(const std::exception_ptr& error) const { owner_->state->complete(std::nullopt, error); }
    bool isResumed() const { return owner_->state->isCompleted(); }

private:
    template <class>
    friend class detail::ContinuationAwaiter;
    explicit Continuation(std::shared_ptr<detail::ContinuationOwner<T>> owner) : owner_(std::move(owner)) {}
    std::shared_ptr<detail::ContinuationOwner<T>> owner_;
};

namespace detail {

template <class T>
class ContinuationAwaiter {
public:
    ContinuationAwaiter(std::function<void(Continuation<T>)> start, std::function<void()> onCancel)
        : start_(std::move(start)), onCancel_(std::move(onCancel)) {}

    bool await_ready() const noexcept { return false; }

    template <TaskPromise Promise>
    void await_suspend(std::coroutine_handle<Promise> waiting) {
        const TaskContext& context = waiting.promise().context;
        state_ = std::make_shared<ContinuationState<T>>(waiting, *context.executor);
        cancellation_ = context.cancellation;
        {
            const Continuation<T> continuation{std::make_shared<ContinuationOwner<T>>(state_)};
            try {
                start_(continuation);
            } catch (...) {
                continuation.resumeThrowing(std::current_exception());
            }
        }
        // Resumption is always posted, so the coroutine cannot run again before this returns.
        if (onCancel_ && cancellation_ && !cancellation_->setHandler(onCancel_)) onCancel_();
    }

    T await_resume() {
        if (cancellation_) cancellation_->clearHandler();
        return state_->take();
    }

private:
    std::function<void(Continuation<T>)> start_;
    std::function<void()> onCancel_;
    std::shared_ptr<ContinuationState<T>> state_;
    std::shared_ptr<CancellationState> cancellation_;
};

}  // namespace detail

// Compiler note: GCC 12 destroys aggregate temporaries in a co_await operand twice, and a lambda with
// captures is such a temporary. Create the task in a statement of its own, then await it:
//     auto reply = withContinuation<Response>([request](Continuation<Response> c) { ... });
//     const Response response = co_await std::move(reply);
// Captureless lambdas and named objects are safe inline.
//
// Suspends the task, calls `start` with a continuation and resumes on the task's executor once the
// continuation is resumed. If the task is cancelled while suspended (or already was), `onCancel` is called
// on the cancelling thread; the operation is then expected to resume the continuation, typically with
// CancellationError.
template <class T>
Task<T> withContinuation(std::function<void(Continuation<T>)> start, std::function<void()> onCancel = {}) {
    if constexpr (std::is_void_v<T>) {
        co_await detail::ContinuationAwaiter<T>(std::move(start), std::move(onCancel));
    } else {
        co_return co_await detail::ContinuationAwaiter<T>(std::move(start), std::move(onCancel));
    }
}

// How many tasks wait in withContinuation for an outcome that has not come yet: work in flight outside
// the run loops (HTTP transfers, worker threads), or a sleep. Thread-safe. Tests wait for none to draw a
// settled picture.
std::size_t pendingContinuationCount();

// Waits `seconds` on a timer of the task's run loop (virtual time on a ManualRunLoop). Cancellable: throws
// CancellationError. The task's executor must be a RunLoop.
Task<void> sleepFor(double seconds);

// ---- Running a task to completion from a test or a tool ----

namespace detail {

template <class T>
struct BlockingOutcome {
    std::optional<StoredValue<T>> value;
    std::exception_ptr error;
    std::atomic<bool> done{false};
};

template <class T>
Task<void> captureOutcome(Task<T> task, std::shared_ptr<BlockingOutcome<T>> outcome) {
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            outcome->value.emplace();
        } else {
            outcome->value.emplace(co_await std::move(task));
        }
    } catch (...) {
        outcome->error = std::current_exception();
    }
    outcome->done = true;
}

[[noreturn]] void throwRunBlockingTimeout(double timeoutSeconds);

}  // namespace detail

// Starts `task` on `loop` and drives the loop from the calling thread until the task ends; returns its
// value or rethrows its exception. After `realTimeoutSeconds` the task is cancelled and RunBlockingTimeout
// is thrown. On a ManualRunLoop virtual time stands still meanwhile.
template <class T>
T runBlocking(RunLoop& loop, Task<T> task, double realTimeoutSeconds = 30) {
    auto outcome = std::make_shared<detail::BlockingOutcome<T>>();
    const TaskHandle handle = startTask(loop, detail::captureOutcome<T>(std::move(task), outcome));
    const auto isDone = [&outcome] { return outcome->done.load(); };
    if (!loop.driveUntil(isDone, realTimeoutSeconds)) {
        handle.cancel();
        loop.driveUntil(isDone, 1.0);  // let it unwind
        detail::throwRunBlockingTimeout(realTimeoutSeconds);
    }
    if (outcome->error) std::rethrow_exception(outcome->error);
    if constexpr (!std::is_void_v<T>) return std::move(*outcome->value);
}

}  // namespace glimmo
