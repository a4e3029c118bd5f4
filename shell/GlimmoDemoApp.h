#pragma once

// The application object: the owner of the long-lived services and the declaration of the scenes (the
// "bullseye" tray item with the main content, the settings scene and the "preferences" window with the
// preferences view, and the window group that carries "Check for Updates...").

#include "app/AppDelegate.h"
#include "platform/scenes/App.h"
#include "platform/scenes/ApplicationDelegateAdaptor.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace glimmo {

class ActivityMonitor;
class ChromeHistoryReader;
class Clock;
class PreferencesModel;
class UnifiedActivityService;
class Updater;

class GlimmoDemoApp : public App {
public:
    static constexpr const char* name = "GlimmoDemo";
    static constexpr const char* preferencesWindowID = "preferences";
    static constexpr const char* checkForUpdatesTitle = "Check for Updates...";
    static constexpr const char* labelImageName = "bullseye";

    // How the quit's wait for the work it cancelled ended.
    enum class CancelledWorkEnding { nothingPending, timeRanOut, notWaited };

    // What the object is built from; unset members take the process-wide ones (the main run loop's
    // clock, a started StandardUpdaterController, ChromeHistoryReader(), ActivityMonitor::create(),
    // PreferencesModel::shared(), and the views of MainViews.h).
    struct Dependencies {
        const Clock* clock = nullptr;
        std::function<std::shared_ptr<Updater>()> makeUpdaterController;
        std::function<std::shared_ptr<ChromeHistoryReader>()> makeChromeReader;
        std::function<std::shared_ptr<ActivityMonitor>()> makeActivityMonitor;
        std::function<AnyView()> makeContentView;
        std::function<AnyView()> makePreferencesView;
        // Told, at quit, how the wait for the cancelled work ended.
        std::function<void(CancelledWorkEnding)> cancelledWorkEnded;
    };

    GlimmoDemoApp();
    explicit GlimmoDemoApp(Dependencies dependencies);
    // Runs when the application quits: the monitor credits and writes its current record, and the work
    // still running is cancelled and let end, so that it lets go of the models and services.
    ~GlimmoDemoApp() override;

    // The tray item, the settings scene, the "preferences" window and the command-carrying window group.
    std::vector<Scene> body() override;

    // The tray window's content, built each time the window opens: the cached content view, or a new
    // one whose first appearance fills both caches.
    AnyView menuBarContent();
    // The settings scene's and the "preferences" window's content.
    AnyView preferencesContent();
    // The "bullseye" asset as a template image, or an empty image when there is none.
    static MenuBarExtraLabel menuBarLabel();

    ApplicationDelegateAdaptor<AppDelegate> appDelegate;
    std::shared_ptr<Updater> updaterController;
    std::shared_ptr<ChromeHistoryReader> chromeReader;
    std::shared_ptr<ActivityMonitor> activityMonitor;
    std::shared_ptr<UnifiedActivityService> unifiedActivityService;

    bool hasCachedContentView() const { return content_view_.has_value(); }
    bool hasCachedPreferencesView() const { return preferences_view_.has_value(); }
    int selectedPreferencesTab() const { return selectedPreferencesTab_; }

private:
    AnyView newContentView() const;
    AnyView newPreferencesView() const;
    void logWithTime(const std::string& prefix) const;

    Dependencies dependencies_;
    const Clock& clock_;
    std::optional<AnyView> preferences_view_;
    std::optional<AnyView> content_view_;
    int selectedPreferencesTab_ = 0;
};

} // namespace glimmo
