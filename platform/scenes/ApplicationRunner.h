#pragma once

// Runs an application: the Qt application with the kit's fonts and the main run loop, the desktop
// services, the application object, its scenes, the launch notice to the delegate, then the main loop
// until the application quits, the process gets SIGINT, SIGTERM or SIGHUP, or the X display goes away.
// Once the application object is gone, waits for the standard user defaults to be written. Returns the
// exit code (displayLostExitStatus of DisplayLoss.h after the display went away).
//
//     int main(int argc, char** argv) { return glimmo::runApplication<MyApp>(argc, argv, "MyApp"); }

#include "platform/scenes/App.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

int runApplication(int& argc, char** argv, const std::string& applicationName,
                   const std::function<std::unique_ptr<App>()>& makeApp);

// Whether the X display named by $DISPLAY can be opened: the window toolkit cannot start without one,
// so an application asks before it runs. A display that refuses is asked again for up to 1.5 seconds, as
// a server resetting refuses for a moment. The connection stays open until runApplication's toolkit has
// its own, so the server cannot reset between the two. A display that still refuses the toolkit ends
// the start with a line that says so and exitStatusWithoutDisplay, as Qt would otherwise abort.
bool isDisplayReachable();

// The exit status of a start that found no X display it could use.
inline constexpr int exitStatusWithoutDisplay = 1;

template <class A>
int runApplication(int& argc, char** argv, const std::string& applicationName) {
    return runApplication(argc, argv, applicationName, [] { return std::make_unique<A>(); });
}

} // namespace glimmo
