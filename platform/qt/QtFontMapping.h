#pragma once

// Internal to the Qt backend: the one place where a kit font becomes a QFont, so the text measurer and
// the painter always agree.

#include "platform/view/Font.h"

#include <QFont>

class QPaintDevice;

namespace glimmo {

// The QFont for `font` on a device of `logicalDpi`: its pixel size equals the kit's point size (kit
// points are device-independent pixels), hinting is off so advances scale linearly and do not depend on
// the device, and kerning is on.
QFont qtFont(const ResolvedFont& font, int logicalDpi);
QFont qtFont(const ResolvedFont& font, const QPaintDevice& device);

// The device the measurer measures on: 72 dots per inch, so a QFont's point size is its pixel size.
const QPaintDevice& measuringDevice();

} // namespace glimmo
