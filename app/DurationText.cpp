#include "app/DurationText.h"

#include <cmath>

namespace glimmo {

std::string durationText(std::int64_t wholeSeconds) {
    const std::int64_t minutes = (wholeSeconds % 3600) / 60;
    if (wholeSeconds >= 3600) {
        return std::to_string(wholeSeconds / 3600) + "h " + std::to_string(minutes) + "m";
    }
    return std::to_string(minutes) + "m";
}

std::string durationText(double seconds) {
    if (!std::isfinite(seconds)) {
        return durationText(std::int64_t{0});
    }
    return durationText(static_cast<std::int64_t>(std::trunc(seconds)));
}

} // namespace glimmo
