#pragma once

#include <memory>

namespace glimmo {

// The application delegate. Its one task is the daily reminder: once launching has finished it
// reads the notification permission and schedules the reminder, asks for the permission, or tells
// the user how to turn notifications on. It keeps no data.
//
// Create it with std::make_shared: the notification centre's answers arrive later and reach the
// delegate only while it lives.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    AppDelegate() = default;

    void applicationDidFinishLaunching();

    void setupNotifications();
    void scheduleDailyReminder();
    void showNotificationsDisabledAlert();
};

} // namespace glimmo
