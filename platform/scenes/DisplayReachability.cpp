// Apart from the runner: Xlib's macros (KeyPress, None) clash with the names of the scene code.
#include "platform/desktop/linux/X11Support.h"
#include "platform/scenes/ApplicationRunner.h"

namespace glimmo {

bool isDisplayReachable() { return x11::openDisplay("") != nullptr; }

} // namespace glimmo
