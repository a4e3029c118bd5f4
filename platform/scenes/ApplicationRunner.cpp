#include "platform/scenes/ApplicationRunner.h"

#include "platform/desktop/DisplayLoss.h"
#include "platform/desktop/linux/LinuxDesktopServices.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/desktop/QtDesktopServices.h"
#include "platform/qt/desktop/QtDisplayLossWatch.h"
#include "platform/qt/scenes/QtSceneSupport.h"
#include "platform/runtime/RunLoop.h"
#include "platform/scenes/Application.h"
#include "platform/scenes/DisplayReachability.h"
#include "platform/scenes/SceneRunner.h"
#include "platform/window/StatusBar.h"

#include <cstdio>
#include <cstdlib>

namespace glimmo {

int runApplication(int& argc, char** argv, const std::string& applicationName,
                   const std::function<std::unique_ptr<App>()>& makeApp) {
    QtApplication qt(argc, argv, [&applicationName](const std::string&) {
        // Qt has said why in its own lines (a display that refused it, a platform plugin that failed); its
        // last one would blame the installation.
        const char* display = std::getenv("DISPLAY");
        const std::string line = applicationName + " cannot start: the window toolkit could not start on the X display \"" +
                                 (display ? display : "") + "\"\n";
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        // Nothing is written yet, and Qt is half made: nothing is left to tear down.
        std::_Exit(exitStatusWithoutDisplay);
    });
    releaseDisplayHeldForStart();
    // A tray application lives on with no window open.
    setQuitOnLastWindowClosed(false);
    installLinuxDesktopServices(applicationName);
    installQtDesktopServices();
    // A lost display quits like the Quit command, so the application's shutdown still runs.
    setDisplayLostHandler([] { QtApplication::quit(displayLostExitStatus); });
    const QtDisplayLossWatch displayLossWatch;

    int exitCode = 0;
    {
        std::unique_ptr<App> app = makeApp();
        SceneRunner runner(app->body(), SceneRunner::Options{.useTray = std::nullopt,
                                                             .quit = [] { QtApplication::quit(0); }});
        if (!StatusBar::system().isAvailable()) {
            systemLog("⚠️ No system tray: " + applicationName + " opens its window as a normal window");
        }
        runner.present();
        // Without a tray the window is the only way in: closing it ends the application.
        if (!runner.usesTray()) setQuitOnLastWindowClosed(true);
        const auto shortcuts = installKeyPressHandler(
            [&runner](const KeyPress& press) { return runner.performShortcut(press.key, press.control, press.shift, press.alt); });
        const auto signals = installTerminationSignalHandler([](int) { QtApplication::quit(0); });
        RunLoop::main().post([] { Application::shared().finishLaunching(); });
        // Lost while starting: a quit asked for before the loop runs is forgotten.
        exitCode = isDisplayLost() ? displayLostExitStatus : qt.run();
    }
    // The defaults are written behind: what the application changed up to its end, its teardown
    // included, is on disk before the process goes.
    UserDefaults::flushStandard();
    setDisplayLostHandler(nullptr);
    return exitCode;
}

} // namespace glimmo
