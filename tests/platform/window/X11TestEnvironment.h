#pragma once

#include <string>

namespace glimmo::testing {

// Why the X11 window tests cannot run (empty when the private Xvfb is up).
inline std::string& x11SkipReason() {
    static std::string reason;
    return reason;
}

} // namespace glimmo::testing
