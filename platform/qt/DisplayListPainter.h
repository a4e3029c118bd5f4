#pragma once

// Internal to the Qt backend: paints a kit display list with a QPainter. The painter's logical
// coordinates must be kit points (a window's widget coordinates, or an image with its device pixel
// ratio set to the rendering scale).

#include "platform/view/DisplayList.h"

class QPainter;

namespace glimmo {

// Clears to the list's background, then paints in order every item that can show: inside the list's
// size, the painter's clip and the clips the list pushes.
void paintDisplayList(const DisplayList& list, QPainter& painter);

} // namespace glimmo
