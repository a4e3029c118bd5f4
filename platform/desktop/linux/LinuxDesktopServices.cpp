#include "platform/desktop/linux/LinuxDesktopServices.h"

#include "platform/desktop/DesktopError.h"
#include "platform/desktop/Updater.h"
#include "platform/desktop/URLPolicy.h"
#include "platform/desktop/linux/AtspiAccessibility.h"
#include "platform/desktop/linux/DesktopNotificationCenter.h"
#include "platform/desktop/linux/NotificationPoster.h"
#include "platform/desktop/linux/X11Support.h"
#include "platform/desktop/linux/URLOpener.h"
#include "platform/desktop/linux/X11Workspace.h"
#include "platform/desktop/linux/XInputActivityTap.h"
#include "platform/foundation/Log.h"

namespace glimmo {
namespace {

// Where there is no X11 session there is no frontmost application to report; links still open.
class WorkspaceWithoutDisplay : public Workspace {
public:
    std::optional<RunningApplication> frontmostApplication() const override { return std::nullopt; }
    Subscription observeDidActivateApplication(std::function<void(const RunningApplication&)> observer) override {
        return activations_.connect(std::move(observer));
    }
    std::vector<RunningApplication> runningApplications() const override { return {}; }
    bool openURL(const std::string& url) override { return opener_.open(url); }
    std::string notificationSettingsURL() const override { return std::string(notificationSettingsLink); }

private:
    URLOpener opener_;
    Signal<const RunningApplication&> activations_;
};

} // namespace

void installLinuxDesktopServices(const std::string& applicationName) {
    x11::reportLostServers();
    try {
        Workspace::setShared(std::make_shared<X11Workspace>());
    } catch (const DesktopServiceError& error) {
        systemLog(std::string("⚠️ The frontmost application cannot be watched: ") + error.what());
        Workspace::setShared(std::make_shared<WorkspaceWithoutDisplay>());
    }
    InputActivityTap::setShared(std::make_shared<XInputActivityTap>());
    Accessibility::setShared(std::make_shared<AtspiAccessibility>());
    UserNotificationCenter::setShared(
        std::make_shared<DesktopNotificationCenter>(std::make_shared<FreedesktopNotificationPoster>(applicationName)));
    Updater::setShared(std::make_shared<StandardUpdaterController>(true));
}

} // namespace glimmo
