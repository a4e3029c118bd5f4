#include "tests/platform/qt/QtTestSupport.h"

#include "platform/runtime/RunLoop.h"

#include <QApplication>

#include <cstdlib>
#include <stdexcept>

namespace glimmo::testing {

void ensureQtApplication() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !RunLoop::hasMain()) {
        throw std::logic_error("The Qt tests need the QtApplication made by their main()");
    }
}

Pixel pixelAt(const PixelImage& image, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 4;
    return {image.rgba[i], image.rgba[i + 1], image.rgba[i + 2], image.rgba[i + 3]};
}

bool near(Pixel p, int r, int g, int b, int a, int tolerance) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance &&
           std::abs(p.a - a) <= tolerance;
}

} // namespace glimmo::testing
