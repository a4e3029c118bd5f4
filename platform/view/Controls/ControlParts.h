#pragma once

// Pieces the controls share (internal to the controls): colours of the desktop theme and a button
// style that draws the label as it is.

#include "platform/view/Button.h"
#include "platform/view/Color.h"

#include <optional>

namespace glimmo::controls {

// Control borders and unselected tracks, light and dark.
Color borderColor();
Color trackColor();
// Selected item of a segmented control or menu.
Color selectionColor();
// A filled rounded rectangle with the control border, to put behind a control (a border laid over it
// would take its clicks).
AnyView bezel(CGFloat radius, const Color& fill);
// The label drawn as given, slightly dimmed while pressed.
AnyButtonStyle bareButtonStyle();
// A check mark `size` points square in the foreground colour (menus, check boxes).
AnyView checkmark(CGFloat size, std::optional<Color> color = std::nullopt);

} // namespace glimmo::controls
