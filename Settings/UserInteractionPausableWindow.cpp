#include "Settings/UserInteractionPausableWindow.h"

#include <algorithm>

namespace settings {

using glimmo::EventType;

const std::array<EventType, 23> blockedEventTypes = {
    EventType::leftMouseDown, EventType::leftMouseUp,     EventType::rightMouseDown,   EventType::rightMouseUp,
    EventType::leftMouseDragged, EventType::rightMouseDragged, EventType::keyDown,     EventType::keyUp,
    EventType::scrollWheel,   EventType::tabletPoint,     EventType::otherMouseDown,   EventType::otherMouseUp,
    EventType::otherMouseDragged, EventType::gesture,     EventType::magnify,          EventType::swipe,
    EventType::rotate,        EventType::beginGesture,    EventType::endGesture,       EventType::smartMagnify,
    EventType::pressure,      EventType::quickLook,       EventType::directTouch,
};

UserInteractionPausableWindow::UserInteractionPausableWindow(glimmo::CGRect contentRect, glimmo::WindowStyleMask style)
    : glimmo::Window(contentRect, style) {}

bool UserInteractionPausableWindow::sendEvent(const glimmo::Event& event) {
    if (!isUserInteractionEnabled &&
        std::find(blockedEventTypes.begin(), blockedEventTypes.end(), event.type) != blockedEventTypes.end()) {
        return false;
    }
    return glimmo::Window::sendEvent(event);
}

bool UserInteractionPausableWindow::respondsTo(const std::string& action) const {
    if (action == "toggleToolbarShown:") return false;
    return glimmo::Window::respondsTo(action);
}

bool UserInteractionPausableWindow::perform(const std::string& action) {
    if (action == "toggleToolbarShown:") return false;
    return glimmo::Window::perform(action);
}

} // namespace settings
