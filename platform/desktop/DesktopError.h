#pragma once

#include <stdexcept>
#include <string>

namespace glimmo {

// A desktop service could not be set up (no X display, no session bus...).
class DesktopServiceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace glimmo
