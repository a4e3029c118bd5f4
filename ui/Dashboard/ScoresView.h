#pragma once

#include "platform/view/ViewKit.h"

#include <cstdint>
#include <functional>
#include <string>

namespace glimmo {

// The day's focus grade and total computer time side by side.
struct ScoresView : View<ScoresView> {
    std::string focusScore;
    std::int64_t totalComputerTime = 0;
    bool isLoading = false;
    std::function<std::string(std::int64_t)> formatTime;

    AnyView body() const;
};

} // namespace glimmo
