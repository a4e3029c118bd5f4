// Apart from the runner: Xlib's macros (KeyPress, None) clash with the names of the scene code.
#include "platform/desktop/linux/X11Support.h"
#include "platform/scenes/ApplicationRunner.h"
#include "platform/scenes/DisplayReachability.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

namespace glimmo {
namespace {

// The check's connection, until the window toolkit has its own. Plain storage: a start that ends before
// the toolkit (another instance runs) leaves it to the process's end, after the registry of our
// connections may be gone.
Display* heldForStart = nullptr;

// A server that resets as its last client leaves turns away whoever connects meanwhile, for a moment; a
// display that is not there does so however long one asks. The check asks again for this long.
constexpr auto patienceWithAResettingServer = std::chrono::milliseconds(1500);
constexpr auto pauseBetweenAttempts = std::chrono::milliseconds(20);

} // namespace

bool isDisplayReachable() {
    releaseDisplayHeldForStart();
    const auto giveUp = std::chrono::steady_clock::now() + patienceWithAResettingServer;
    while (!(heldForStart = x11::openDisplay("").release())) {
        // With no display named there is none to wait for.
        const char* named = std::getenv("DISPLAY");
        if (!named || !*named || std::chrono::steady_clock::now() >= giveUp) return false;
        std::this_thread::sleep_for(pauseBetweenAttempts);
    }
    return true;
}

void releaseDisplayHeldForStart() { x11::DisplayPtr(std::exchange(heldForStart, nullptr)); }

} // namespace glimmo
