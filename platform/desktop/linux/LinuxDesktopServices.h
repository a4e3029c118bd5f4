#pragma once

#include <string>

namespace glimmo {

// Installs the Linux implementations as the shared desktop services: the X11 workspace, the
// XInput 2 activity tap, AT-SPI accessibility, desktop notifications (shown under
// applicationName) and the updater. Without an X display the workspace only opens links and the
// tap reports why it cannot start; the reason is logged. Alert and pasteboard come from the Qt
// side (installQtDesktopServices). From then on a lost X server, on any Xlib connection of the
// process, is reported (DisplayLoss.h) rather than ending the process. Call on the main thread once
// the main run loop is installed and the toolkit has connected to the display.
void installLinuxDesktopServices(const std::string& applicationName);

} // namespace glimmo
