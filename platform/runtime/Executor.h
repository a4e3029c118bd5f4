#pragma once

#include <functional>
#include <memory>

namespace glimmo {

namespace detail {
class PostGate;
}

// Something that runs work items one at a time, in the order they were posted.
class Executor {
public:
    Executor();
    virtual ~Executor();
    Executor(const Executor&) = delete;
    Executor& operator=(const Executor&) = delete;

    // Queues `work` to run later on this executor. Thread-safe; never runs `work` before returning.
    virtual void post(std::function<void()> work) = 0;

    // True when called from the thread this executor runs its work on.
    virtual bool isCurrent() const = 0;

    // Posts to the executor while it lives; once it has been destroyed, what is posted is dropped. Work
    // that ends on another thread hands its outcome back through one, so the owner may let the
    // executor go (the main loop at quit) while such work still runs. Copyable and thread-safe.
    class Handle {
    public:
        void post(std::function<void()> work) const;

    private:
        friend class Executor;
        explicit Handle(std::shared_ptr<detail::PostGate> gate) : gate_(std::move(gate)) {}
        std::shared_ptr<detail::PostGate> gate_;
    };
    Handle handle() const { return Handle(gate_); }

protected:
    // Called by the destructor of every concrete executor while it still takes posts: waits for a post
    // through a handle that is under way, and drops every later one.
    void closeHandles() noexcept;

private:
    const std::shared_ptr<detail::PostGate> gate_;
};

}  // namespace glimmo
