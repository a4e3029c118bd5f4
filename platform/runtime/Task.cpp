#include "platform/runtime/Task.h"

#include <cstdio>
#include <string>
#include <vector>

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

struct TaskHandle::State : std::enable_shared_from_this<State> {
    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State();

    const std::shared_ptr<detail::CancellationState> cancellation = std::make_shared<detail::CancellationState>();
    std::atomic<bool> finished{false};
    // Its place among the tasks that have not ended (cancelAllTasks), guarded by runningTasksMutex.
    bool listed = false;
    State* previous = nullptr;
    State* next = nullptr;
};

namespace {

// The detached tasks that have not ended, linked through their states. Plain storage with nothing to tear
// down: a state may still go while the process exits.
std::mutex runningTasksMutex;
TaskHandle::State* firstRunningTask = nullptr;

void listAsRunning(TaskHandle::State& state) {
    const std::lock_guard lock(runningTasksMutex);
    state.next = std::exchange(firstRunningTask, &state);
    if (state.next) state.next->previous = &state;
    state.listed = true;
}

void unlistAsRunning(TaskHandle::State& state) {
    const std::lock_guard lock(runningTasksMutex);
    if (!state.listed) return;
    (state.previous ? state.previous->next : firstRunningTask) = state.next;
    if (state.next) state.next->previous = state.previous;
    state.previous = state.next = nullptr;
    state.listed = false;
}

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
    unlistAsRunning(*state);
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

// A task whose root was dropped unstarted, or never resumed, leaves the list with its last holder.
TaskHandle::State::~State() { unlistAsRunning(*this); }

void TaskHandle::cancel() const {
    if (state_) state_->cancellation->cancel();
}

bool TaskHandle::isCancelled() const { return state_ && state_->cancellation->isCancelled(); }

bool TaskHandle::isFinished() const { return state_ && state_->finished.load(); }

TaskHandle startTask(Executor& executor, Task<void> task) {
    auto state = std::make_shared<TaskHandle::State>();
    listAsRunning(*state);
    const auto root = runDetached(std::move(task), state).handle;
    root.promise().context = detail::TaskContext{&executor, state->cancellation};
    executor.post([pending = std::make_shared<PendingStart>(root)] { pending->start(); });
    return TaskHandle(std::move(state));
}

void cancelAllTasks() {
    // Held until the lock is released: the last holder of a state takes the lock to unlist it.
    std::vector<std::shared_ptr<TaskHandle::State>> running;
    {
        const std::lock_guard lock(runningTasksMutex);
        for (TaskHandle::State* state = firstRunningTask; state; state = state->next) {
            if (auto held = state->weak_from_this().lock()) running.push_back(std::move(held));
        }
    }
    // Outside the lock: a cancel handler may start or end tasks.
    for (const auto& state : running) state->cancellation->cancel();
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
