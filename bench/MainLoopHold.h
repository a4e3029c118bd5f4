#pragma once

// How long a main loop is held, as the main-loop benchmarks measure it: a turn of our own keeps
// coming back to the loop, and whatever the loop ran between two of our turns held it that long,
// what a user would feel as a frozen window.

#include <algorithm>
#include <chrono>

namespace glimmo::bench {

using SteadyClock = std::chrono::steady_clock;

inline double seconds(SteadyClock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// How long `work()` took, in seconds.
template <class Work>
double secondsOf(Work&& work) {
    const auto begin = SteadyClock::now();
    work();
    return seconds(SteadyClock::now() - begin);
}

// The longest hold seen, in seconds, from its making on.
class LongestHold {
public:
    // Runs `work` as one turn of ours: the time since our last turn ended counts as a hold, and so
    // does the turn itself.
    template <class Work>
    void turn(Work&& work) {
        const auto begin = SteadyClock::now();
        note(begin - lastEnd_);
        work();
        lastEnd_ = SteadyClock::now();
        note(lastEnd_ - begin);
    }
    // Counts a hold measured by the caller.
    void note(SteadyClock::duration held) { longest_ = std::max(longest_, bench::seconds(held)); }
    double seconds() const { return longest_; }

private:
    SteadyClock::time_point lastEnd_ = SteadyClock::now();
    double longest_ = 0;
};

} // namespace glimmo::bench
