#include "platform/desktop/linux/URLOpener.h"

#include "platform/desktop/URLPolicy.h"
#include "platform/desktop/linux/ProcessLauncher.h"
#include "platform/foundation/Log.h"

#include <system_error>

namespace glimmo {

namespace {

// The line that says why a link that passed the policy still did not open.
std::string launchFailure(const std::system_error& error, const std::string& opener, std::size_t linkBytes) {
    if (error.code() == std::errc::argument_list_too_long) {
        return "⚠️ Link not opened: at " + std::to_string(linkBytes) + " bytes it is too long to hand to " +
               opener + " (" + error.code().message() + ")";
    }
    if (error.code() == std::errc::no_such_file_or_directory) {
        // Without it nothing happens on a click; say what is missing.
        return "⚠️ Cannot open links: " + opener + " could not be started (Debian package xdg-utils)";
    }
    return "⚠️ Cannot open links: " + opener + " could not be started (" + error.code().message() + ")";
}

} // namespace

bool URLOpener::open(const std::string& url) const {
    if (url == notificationSettingsLink) {
        for (const auto& command : settingsCommands) {
            if (command.empty() || !isProgramAvailable(command.front())) continue;
            try {
                launchDetached(command);
                return true;
            } catch (const std::system_error& error) {
                systemLog("⚠️ Cannot open the notification settings: " + command.front() +
                          " could not be started (" + error.code().message() + ")");
                return false;
            }
        }
        systemLog("⚠️ No notification settings program found on this desktop");
        return false;
    }
    if (!mayOpenWithDesktop(url)) return false;
    try {
        launchDetached({opener, url});
        return true;
    } catch (const std::system_error& error) {
        systemLog(launchFailure(error, opener, url.size()));
        return false;
    }
}

} // namespace glimmo
