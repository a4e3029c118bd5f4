#pragma once

#include <string>

namespace glimmo {

// Installs the Linux implementations as the shared desktop services: the X11 workspace, the
// XInput 2 activity tap, AT-SPI accessibility, desktop notifications (shown under
// applicationName) and the updater. Without an X display the workspace only opens links and the
// tap reports why it cannot start; the reason is logged. Alert and pasteboard come from the Qt
// side (installQtDesktopServices). Call on the main thread once the main run loop is installed.
void installLinuxDesktopServices(const std::string& applicationName);

} // namespace glimmo
