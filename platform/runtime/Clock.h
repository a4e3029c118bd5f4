#pragma once

#include <atomic>

#include "platform/runtime/Date.h"

namespace glimmo {

// Where services take "now" from, so tests can control time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

// The wall clock.
class SystemClock final : public Clock {
public:
    Date now() const override;
    static const SystemClock& shared();
};

// A clock that moves only when told to. Thread-safe.
class ManualClock final : public Clock {
public:
    explicit ManualClock(Date start = Date{});

    Date now() const override;
    void set(Date date);
    void advance(double seconds);

private:
    std::atomic<double> seconds_;
};

}  // namespace glimmo
