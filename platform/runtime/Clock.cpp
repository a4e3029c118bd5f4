#include "platform/runtime/Clock.h"

#include <chrono>

namespace glimmo {

Date SystemClock::now() const {
    const std::chrono::duration<double> sinceUnixEpoch = std::chrono::system_clock::now().time_since_epoch();
    return Date::fromUnixTime(sinceUnixEpoch.count());
}

const SystemClock& SystemClock::shared() {
    static const SystemClock clock;
    return clock;
}

ManualClock::ManualClock(Date start) : seconds_(start.secondsSinceReferenceDate) {}

Date ManualClock::now() const { return Date{seconds_.load()}; }

void ManualClock::set(Date date) { seconds_.store(date.secondsSinceReferenceDate); }

void ManualClock::advance(double seconds) {
    double current = seconds_.load();
    while (!seconds_.compare_exchange_weak(current, current + seconds)) {
    }
}

}  // namespace glimmo
