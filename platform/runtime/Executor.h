#pragma once

#include <functional>

namespace glimmo {

// Something that runs work items one at a time, in the order they were posted.
class Executor {
public:
    virtual ~Executor() = default;

    // Queues `work` to run later on this executor. Thread-safe; never runs `work` before returning.
    virtual void post(std::function<void()> work) = 0;

    // True when called from the thread this executor runs its work on.
    virtual bool isCurrent() const = 0;
};

}  // namespace glimmo
