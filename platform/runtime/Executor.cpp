#include "platform/runtime/Executor.h"

#include <mutex>
#include <utility>

namespace glimmo {

namespace detail {

// Stands between the handles and the executor: the lock keeps the executor from being destroyed while
// a post through a handle reaches it.
class PostGate {
public:
    explicit PostGate(Executor& executor) : executor_(&executor) {}

    void post(std::function<void()> work) {
        {
            const std::lock_guard lock(mutex_);
            if (executor_ != nullptr) {
                executor_->post(std::move(work));
                return;
            }
        }
        // Dropped outside the lock: what it holds may post again when it goes.
        work = nullptr;
    }

    void close() noexcept {
        const std::lock_guard lock(mutex_);
        executor_ = nullptr;
    }

private:
    std::mutex mutex_;
    Executor* executor_;
};

}  // namespace detail

Executor::Executor() : gate_(std::make_shared<detail::PostGate>(*this)) {}

// Too late for a post under way (the executor is no longer whole): concrete executors close first.
Executor::~Executor() { closeHandles(); }

void Executor::Handle::post(std::function<void()> work) const { gate_->post(std::move(work)); }

void Executor::closeHandles() noexcept { gate_->close(); }

}  // namespace glimmo
