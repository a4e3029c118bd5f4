#pragma once

#include <cstdint>
#include <string>

namespace glimmo {

// "45m" under an hour, "2h 5m" from an hour on; hours are not wrapped into days.
// Seconds are truncated toward zero first, so a negative duration gives negative minutes.
std::string durationText(std::int64_t wholeSeconds);
std::string durationText(double seconds);

// A duration in seconds truncated toward zero; 0 when it is not finite, and the nearest end of the
// 64-bit range when it lies beyond.
std::int64_t wholeSeconds(double seconds);

} // namespace glimmo
