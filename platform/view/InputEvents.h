#pragma once

// Input events a host window delivers to the kit, in window coordinates (points).

#include "platform/view/Geometry.h"

#include <cstdint>
#include <string>

namespace glimmo {

struct EventModifiers {
    std::uint8_t bits = 0;
    static constexpr EventModifiers shift() { return {1}; }
    static constexpr EventModifiers control() { return {2}; }
    static constexpr EventModifiers option() { return {4}; }   // Alt
    static constexpr EventModifiers command() { return {8}; }  // Ctrl on Linux keyboards is mapped here too
    constexpr bool contains(EventModifiers m) const { return (bits & m.bits) == m.bits && m.bits; }
    constexpr EventModifiers operator|(EventModifiers o) const { return {static_cast<std::uint8_t>(bits | o.bits)}; }
    bool operator==(const EventModifiers&) const = default;
};

enum class MouseButton : std::uint8_t { left, right, middle };

struct PointerEvent {
    enum class Kind : std::uint8_t { moved, pressed, released, exited };
    Kind kind = Kind::moved;
    CGPoint location;          // ignored for `exited`
    MouseButton button = MouseButton::left;
    EventModifiers modifiers;
    int clickCount = 1;
};

// A scroll of the wheel or touchpad, in points. Positive deltaY reveals content further up (the content
// moves down), as wheel-up does; positive deltaX reveals content to the left.
struct WheelEvent {
    CGPoint location;
    CGFloat deltaX = 0;
    CGFloat deltaY = 0;
    EventModifiers modifiers;
};

// A key press. `key` names keys without text ("Return", "Escape", "Tab", "Backtab", "Left", "Right",
// "Up", "Down", "Home", "End", "PageUp", "PageDown", "Backspace", "Delete", "Space"); `text` is what
// the key types, if anything (UTF-8).
struct KeyEvent {
    std::string key;
    std::string text;
    EventModifiers modifiers;
    bool isRepeat = false;
};

} // namespace glimmo
