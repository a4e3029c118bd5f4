#pragma once

#include <string>

namespace glimmo::testing {

// Why the X11 hosting tests cannot run (empty when the private Xvfb is up).
inline std::string& hostingSkipReason() {
    static std::string reason;
    return reason;
}

} // namespace glimmo::testing
