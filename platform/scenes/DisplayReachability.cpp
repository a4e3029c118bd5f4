// Apart from the runner: Xlib's macros (KeyPress, None) clash with the names of the scene code.
#include "platform/desktop/linux/X11Support.h"
#include "platform/scenes/ApplicationRunner.h"
#include "platform/scenes/DisplayReachability.h"

#include <utility>

namespace glimmo {
namespace {

// The check's connection, until the window toolkit has its own. Plain storage: a start that ends before
// the toolkit (another instance runs) leaves it to the process's end, after the registry of our
// connections may be gone.
Display* heldForStart = nullptr;

} // namespace

bool isDisplayReachable() {
    releaseDisplayHeldForStart();
    heldForStart = x11::openDisplay("").release();
    return heldForStart != nullptr;
}

void releaseDisplayHeldForStart() { x11::DisplayPtr(std::exchange(heldForStart, nullptr)); }

} // namespace glimmo
