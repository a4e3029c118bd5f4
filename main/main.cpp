#include "platform/foundation/Error.h"
#include "platform/foundation/InstanceLock.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/scenes/ApplicationRunner.h"
#include "shell/GlimmoDemoApp.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Without a display the toolkit would abort with a message that blames the installation.
    if (!glimmo::isDisplayReachable()) {
        std::fputs("GlimmoDemo needs an X11 session: no X display could be opened (is DISPLAY set?); "
                   "capturing the frontmost window also needs a window manager.\n",
                   stderr);
        return 1;
    }
    // Before anything is read or written, and held until the process ends: a second instance would
    // write its own records over this one's.
    const std::filesystem::path dataFolder = glimmo::applicationDataDirectory();
    std::optional<glimmo::InstanceLock> ownership;
    try {
        ownership = glimmo::InstanceLock::acquire(dataFolder);
    } catch (const glimmo::FileError& error) {
        glimmo::systemLog(std::string("❌ GlimmoDemo cannot start: its data folder cannot be locked: ") + error.what());
        return 1;
    }
    if (!ownership) {
        glimmo::systemLog("⚠️ GlimmoDemo is already running with the data folder " + dataFolder.string() +
                          "; this start ends and leaves it alone");
        return glimmo::anotherInstanceExitStatus;
    }
    return glimmo::runApplication<glimmo::GlimmoDemoApp>(argc, argv, glimmo::GlimmoDemoApp::name);
}
