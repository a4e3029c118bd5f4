#pragma once

#include "platform/runtime/Observable.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

struct RunningApplication {
    std::string localizedName; // empty when the application has no name
    int processIdentifier = 0; // 0 when unknown
    std::string bundleIdentifier; // desktop-entry id or WM_CLASS

    bool operator==(const RunningApplication&) const = default;
};

// The user's desktop: which application is in front, when that changes, and opening links.
class Workspace {
public:
    virtual ~Workspace() = default;

    static Workspace& shared();
    static void setShared(std::shared_ptr<Workspace> workspace);

    virtual std::optional<RunningApplication> frontmostApplication() const = 0;

    // Called on the main run loop each time another application comes to the front.
    [[nodiscard]] virtual Subscription observeDidActivateApplication(
        std::function<void(const RunningApplication&)> observer) = 0;

    virtual std::vector<RunningApplication> runningApplications() const = 0;

    // Opens the link in the user's default handler. Only what URLPolicy admits and
    // notificationSettingsURL() are opened; anything else is refused (false).
    virtual bool openURL(const std::string& url) = 0;

    // The link that opens the desktop's notification settings through openURL().
    virtual std::string notificationSettingsURL() const = 0;
};

} // namespace glimmo
