#pragma once

// The top layer of a window: menus, pop-ups and alerts are drawn after the whole view tree and take
// the pointer before it, so no view laid out later covers them. A view presents a layer while `layer`
// is given:
//
//     presentation(button, open ? std::optional<AnyView>(menuList) : std::nullopt,
//                  PresentationPlacement::belowAnchor, [open] { open.set(false); })
//
// The layer keeps the environment of the view that presents it, and key events in it go on to that
// view's ancestors. Layers presented later lie over earlier ones.

#include "platform/view/View.h"

#include <functional>
#include <optional>

namespace glimmo {

enum class PresentationPlacement : std::uint8_t {
    // At its ideal size, its leading edge under the presenting view's (above it when there is no room
    // below), kept inside the window.
    belowAnchor,
    // Over the whole window (an alert and its dimming).
    window,
};

// `dismiss`, when given, is called for a click outside the layer, and that click goes no further (a
// menu closes on a click elsewhere).
AnyView presentation(AnyView anchor, std::optional<AnyView> layer, PresentationPlacement placement,
                     std::function<void()> dismiss = {});

} // namespace glimmo
