#pragma once

// Internal: how often a run loop waiting on a predicate looks at it again.

#include <chrono>

namespace glimmo {

// A predicate may depend on state that other threads change without posting anything, so it is
// looked at again this often while the loop waits.
inline constexpr auto predicateRecheckInterval = std::chrono::milliseconds(10);

} // namespace glimmo
