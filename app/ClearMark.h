#pragma once

// A store that can be cleared while answers are on their way to it (an AI reply takes seconds to
// minutes) takes a mark when the work that will fill it begins, and refuses the result if it was
// cleared since: a reply asked for before "Clear All Data" must not put the cleared data back.

#include <cstdint>

namespace glimmo {

// The moment a request began, as one store counts its clears.
struct ClearMark {
    std::uint64_t clears = 0;
    bool operator==(const ClearMark&) const = default;
};

// The clears of one store. Main thread only, like the stores that hold it.
class ClearCount {
public:
    ClearMark mark() const { return ClearMark{clears_}; }
    // Whether the store was cleared after `mark` was taken.
    bool clearedSince(ClearMark mark) const { return mark.clears != clears_; }
    void cleared() { ++clears_; }

private:
    std::uint64_t clears_ = 0;
};

} // namespace glimmo
