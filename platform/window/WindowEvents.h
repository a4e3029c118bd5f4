#pragma once

// Input events as the window layer reports them to windows and event monitors. The event types keep
// the numbering of the window toolkit the application was designed for, so masks and lists written
// against it read the same.

#include "platform/view/Geometry.h"

#include <cstdint>

namespace glimmo {

class Window;

enum class EventType : std::uint8_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    mouseEntered = 8,
    mouseExited = 9,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    appKitDefined = 13,
    systemDefined = 14,
    applicationDefined = 15,
    cursorUpdate = 17,
    rotate = 18,
    beginGesture = 19,
    endGesture = 20,
    scrollWheel = 22,
    tabletPoint = 23,
    tabletProximity = 24,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
    gesture = 29,
    magnify = 30,
    swipe = 31,
    smartMagnify = 32,
    quickLook = 33,
    pressure = 34,
    directTouch = 37,
};

using EventTypeMask = std::uint64_t;

constexpr EventTypeMask eventMask(EventType type) { return EventTypeMask{1} << static_cast<unsigned>(type); }
constexpr bool maskContains(EventTypeMask mask, EventType type) { return (mask & eventMask(type)) != 0; }

struct ModifierFlags {
    bool shift = false;
    bool control = false;
    bool option = false;
    bool command = false;
    bool operator==(const ModifierFlags&) const = default;
};

struct Event {
    EventType type = EventType::leftMouseDown;
    ModifierFlags modifiers;
    // Screen coordinates (points, origin at the top-left of the virtual desktop, y down).
    CGPoint locationOnScreen;
    // The window of ours the event was sent to; null for events outside the application.
    Window* window = nullptr;
};

} // namespace glimmo
