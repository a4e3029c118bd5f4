#pragma once

#include "platform/desktop/Workspace.h"
#include "platform/desktop/linux/URLOpener.h"

#include <memory>
#include <string>
#include <vector>

namespace glimmo {

class DesktopEntries;

// The workspace of an X11 session: the active window (_NET_ACTIVE_WINDOW, as the window manager
// sets it), its process (_NET_WM_PID) and its application's name from the installed desktop
// entries, else WM_CLASS. A connection of its own is read on a background thread; activations
// reach observers through the main run loop.
class X11Workspace : public Workspace {
public:
    struct Options {
        std::string displayName;              // empty: $DISPLAY
        std::shared_ptr<const DesktopEntries> desktopEntries; // null: the installed ones
        URLOpener urlOpener;
    };

    // Throws DesktopServiceError when the display cannot be opened.
    explicit X11Workspace(Options options);
    X11Workspace();
    ~X11Workspace() override;

    std::optional<RunningApplication> frontmostApplication() const override;
    [[nodiscard]] Subscription observeDidActivateApplication(
        std::function<void(const RunningApplication&)> observer) override;
    std::vector<RunningApplication> runningApplications() const override;
    bool openURL(const std::string& url) override;
    std::string notificationSettingsURL() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
