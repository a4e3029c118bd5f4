#include "app/AppDelegate.h"

#include "platform/desktop/Alert.h"
#include "platform/desktop/UserNotifications.h"
#include "platform/desktop/Workspace.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {
namespace {

// Runs `action` on the delegate later on the main queue, if the delegate is still there.
void onMainQueue(std::weak_ptr<AppDelegate> delegate, void (AppDelegate::*action)()) {
    RunLoop::main().post([delegate = std::move(delegate), action] {
        if (const auto strong = delegate.lock()) ((*strong).*action)();
    });
}

} // namespace

void AppDelegate::applicationDidFinishLaunching() { setupNotifications(); }

void AppDelegate::setupNotifications() {
    UserNotificationCenter::shared().getAuthorizationStatus([weak = weak_from_this()](AuthorizationStatus status) {
        switch (status) {
        case AuthorizationStatus::authorized:
            onMainQueue(weak, &AppDelegate::scheduleDailyReminder);
            break;
        case AuthorizationStatus::denied:
            onMainQueue(weak, &AppDelegate::showNotificationsDisabledAlert);
            break;
        case AuthorizationStatus::notDetermined:
            UserNotificationCenter::shared().requestAuthorization(
                true, true, [weak](bool granted, std::optional<std::string> error) {
                    if (granted) {
                        onMainQueue(weak, &AppDelegate::scheduleDailyReminder);
                    } else if (error) {
                        printLine("Error requesting notification permissions: " + *error);
                    } else {
                        onMainQueue(weak, &AppDelegate::showNotificationsDisabledAlert);
                    }
                });
            break;
        case AuthorizationStatus::provisional:
            break;
        }
    });
}

void AppDelegate::scheduleDailyReminder() {
    NotificationRequest request;
    request.identifier = "dailyReminder";
    request.content.title = "Trevant";
    request.content.body = "Time to check your Trevant";
    request.content.defaultSound = true;
    request.trigger = CalendarTrigger{10, 0, true};
    UserNotificationCenter::shared().add(std::move(request), [](std::optional<std::string> error) {
        if (error) printLine("Error scheduling notification: " + *error);
    });
}

void AppDelegate::showNotificationsDisabledAlert() {
    AlertSpec alert;
    alert.style = AlertStyle::warning;
    alert.messageText = "Notifications Disabled";
    alert.informativeText = "Please enable notifications in System Settings to receive productivity reminders.";
    alert.buttons = {"Open Settings", "Not Now"};
    if (AlertPresenter::shared().runModal(alert) != 0) return;
    Workspace& workspace = Workspace::shared();
    const std::string settings = workspace.notificationSettingsURL();
    if (settings.empty()) return;
    workspace.openURL(settings);
}

} // namespace glimmo
