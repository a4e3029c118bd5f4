#pragma once

// The settings window: drops clicks, keys, scrolls and gestures while its owner pauses interaction, and
// never answers the command that shows and hides the toolbar.

#include "platform/window/Window.h"

#include <array>

namespace settings {

class UserInteractionPausableWindow : public glimmo::Window {
public:
    UserInteractionPausableWindow(glimmo::CGRect contentRect, glimmo::WindowStyleMask style);

    bool isUserInteractionEnabled = true;

    bool sendEvent(const glimmo::Event& event) override;
    bool respondsTo(const std::string& action) const override;
    bool perform(const std::string& action) override;
};

// The event types dropped while interaction is paused.
extern const std::array<glimmo::EventType, 23> blockedEventTypes;

} // namespace settings
