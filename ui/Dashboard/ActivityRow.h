#pragma once

#include "app/ActivityTypes.h"
#include "platform/view/ViewKit.h"

#include <optional>
#include <string>

namespace glimmo {

// A round button that opens the activity's search link in the default browser.
struct MagnifyingGlassButton : View<MagnifyingGlassButton> {
    State<bool> isHovered{false};
    std::optional<std::string> searchUrl;

    AnyView body() const;
};

// One of the day's activities: what it was, how long, and a search button.
struct ActivityRow : View<ActivityRow> {
    Activity activity;
    bool isLoading = false;

    AnyView body() const;
};

} // namespace glimmo
