#include "platform/desktop/linux/URLOpener.h"

#include "platform/desktop/URLPolicy.h"
#include "platform/desktop/linux/ProcessLauncher.h"

namespace glimmo {

bool URLOpener::open(const std::string& url) const {
    if (url == notificationSettingsLink) {
        for (const auto& command : settingsCommands) {
            if (!command.empty() && isProgramAvailable(command.front())) return launchDetached(command);
        }
        return false;
    }
    if (!isOpenableWebURL(url)) return false;
    return launchDetached({opener, url});
}

} // namespace glimmo
