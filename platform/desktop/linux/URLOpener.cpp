#include "platform/desktop/linux/URLOpener.h"

#include "platform/desktop/URLPolicy.h"
#include "platform/desktop/linux/ProcessLauncher.h"
#include "platform/foundation/Log.h"

namespace glimmo {

bool URLOpener::open(const std::string& url) const {
    if (url == notificationSettingsLink) {
        for (const auto& command : settingsCommands) {
            if (!command.empty() && isProgramAvailable(command.front())) return launchDetached(command);
        }
        systemLog("⚠️ No notification settings program found on this desktop");
        return false;
    }
    if (!isOpenableWebURL(url)) return false;
    if (launchDetached({opener, url})) return true;
    // Without it nothing happens on a click; say what is missing.
    systemLog("⚠️ Cannot open links: " + opener + " could not be started (Debian package xdg-utils)");
    return false;
}

} // namespace glimmo
