// A program that leaves the Qt application to the process's exit: the application and a text measurer
// are held by static objects and main() returns without shutting either down, as a test binary with a
// lazily made application does. It must exit with status 0.

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/Image.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"
#include "platform/view/ViewHost.h"

#include <cstdlib>
#include <memory>

namespace {

// Made before the application and destroyed after it, with the fonts it measured with still cached.
std::shared_ptr<glimmo::QtTextMeasurer>& measurer() {
    static std::shared_ptr<glimmo::QtTextMeasurer> instance;
    return instance;
}

std::unique_ptr<glimmo::QtApplication>& application() {
    static std::unique_ptr<glimmo::QtApplication> instance;
    return instance;
}

} // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "platform_qt_exit_program";
    static char* argv[] = {name, nullptr};
    measurer();
    application() = std::make_unique<glimmo::QtApplication>(argc, argv);
    measurer() = std::make_shared<glimmo::QtTextMeasurer>();
    glimmo::ViewHost host(glimmo::AnyView(glimmo::HStack({glimmo::Text("Exit 😀 safely"), glimmo::Image::systemName("gear"),
                                                           glimmo::Text("12:30").monospacedDigit()})),
                          measurer());
    host.setSize({240, 40});
    const glimmo::PixelImage image = glimmo::renderDisplayList(host.displayList(), 2);
    return image.isValid() ? 0 : 1;
}
