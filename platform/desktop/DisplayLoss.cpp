#include "platform/desktop/DisplayLoss.h"

#include "platform/foundation/Log.h"
#include "platform/runtime/RunLoop.h"

#include <atomic>

namespace glimmo {
namespace {

std::atomic<bool> lost{false};
// Touched on the main thread only.
std::function<void()> lostHandler;
bool handled = false;

} // namespace

void reportDisplayLost() {
    if (lost.exchange(true)) return;
    systemLog("⚠️ The X display went away");
    // Without a main loop nothing runs that could quit.
    RunLoop::postToMain(handleDisplayLoss);
}

bool isDisplayLost() { return lost; }

void handleDisplayLoss() {
    if (handled || !lostHandler) return;
    handled = true;
    lostHandler();
}

void setDisplayLostHandler(std::function<void()> handler) { lostHandler = std::move(handler); }

} // namespace glimmo
