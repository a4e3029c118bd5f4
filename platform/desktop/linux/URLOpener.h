#pragma once

#include <string>
#include <vector>

namespace glimmo {

// Opens links with the desktop's programs, never through a shell: those URLPolicy admits with the
// default handler, the notification settings link with the first settings program found. A link
// that is not opened is logged with why.
struct URLOpener {
    std::string opener = "xdg-open";
    std::vector<std::vector<std::string>> settingsCommands = {
        {"gnome-control-center", "notifications"},
        {"systemsettings", "kcm_notifications"},
        {"xfce4-notifyd-config"},
    };

    // False for any other link, and when no program could be started.
    bool open(const std::string& url) const;
};

} // namespace glimmo
