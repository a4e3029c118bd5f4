#pragma once

#include "platform/runtime/ErrorValue.h"

#include <stdexcept>
#include <string>

namespace glimmo {

// A desktop service could not be set up (no X display, no session bus...).
class DesktopServiceError : public std::runtime_error, public CopiedAcrossThreads {
public:
    using std::runtime_error::runtime_error;
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

} // namespace glimmo
