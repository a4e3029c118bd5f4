#include "app/DurationText.h"

#include "platform/foundation/SaturatedCast.h"

#include <cmath>

namespace glimmo {

std::string durationText(std::int64_t wholeSeconds) {
    const std::int64_t minutes = (wholeSeconds % 3600) / 60;
    if (wholeSeconds >= 3600) {
        return std::to_string(wholeSeconds / 3600) + "h " + std::to_string(minutes) + "m";
    }
    return std::to_string(minutes) + "m";
}

std::string durationText(double seconds) { return durationText(wholeSeconds(seconds)); }

std::int64_t wholeSeconds(double seconds) {
    return std::isfinite(seconds) ? saturatedCast<std::int64_t>(seconds) : 0;
}

} // namespace glimmo
