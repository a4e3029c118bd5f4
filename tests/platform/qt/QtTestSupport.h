#pragma once

// Shared by the Qt backend tests: the QApplication check, and pixel access.

#include "platform/view/PixelImage.h"

#include <cstdint>

namespace glimmo::testing {

// Checks that the test's main() made the QtApplication: QApplication (the platform comes from
// QT_QPA_PLATFORM), the kit's fonts, RunLoop::main() on Qt's event loop.
void ensureQtApplication();

struct Pixel {
    int r = 0, g = 0, b = 0, a = 0;
};
// The pixel at (x, y) in image pixels.
Pixel pixelAt(const PixelImage& image, int x, int y);
// True when every channel is within `tolerance` of the expected 0...255 values.
bool near(Pixel p, int r, int g, int b, int a = 255, int tolerance = 3);

} // namespace glimmo::testing
