#pragma once

#include <string>

namespace glimmo::testing {

// Why the tests that need a real X server cannot run (empty when the private Xvfb is up).
inline std::string& xvfbSkipReason() {
    static std::string reason;
    return reason;
}

} // namespace glimmo::testing
