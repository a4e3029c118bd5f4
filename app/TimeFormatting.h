#pragma once

#include "platform/runtime/Date.h"

#include <string>

namespace glimmo {

// The time of day in the medium style without a date, as the core's log lines show it.
std::string mediumTimeString(Date date);
// The time of day in the short style without a date.
std::string shortTimeString(Date date);
// The date and the time, both in the short style.
std::string shortDateTimeString(Date date);

} // namespace glimmo
