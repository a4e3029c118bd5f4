#pragma once

#include "platform/runtime/Date.h"

#include <string>

namespace glimmo {

// One named activity of a time window: an application or a website host, with the time spent on
// it inside the window, the earliest moment it was seen and the context gathered for it.
struct UnifiedActivity {
    enum class ActivityType { app, website };

    std::string name;
    ActivityType type = ActivityType::app;
    double duration = 0;
    Date timestamp;
    std::string context;

    bool operator==(const UnifiedActivity&) const = default;
};

} // namespace glimmo
