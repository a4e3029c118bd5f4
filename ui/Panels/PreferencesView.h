#pragma once

// The preferences window's content: a "Categories" tab that edits the user's categories and a
// "Settings" tab with the layout, the bottom panel, the dock icon, the update check and "Clear All
// Data". Adding or deleting a category clears the stored analyses through the one observer of
// "didChangeCategoriesRequiringDataClear", registered when the view first appears.

#include "app/ActivityMonitor.h"
#include "app/ActivityTypes.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/desktop/Updater.h"
#include "platform/view/ViewKit.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

struct PreferencesView : View<PreferencesView> {
    static constexpr CGFloat width = 500;
    static constexpr CGFloat height = 400;

    // `makeUpdater` gives each construction its own started updater (the application's standard
    // controller by default).
    PreferencesView(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor,
                    std::function<std::shared_ptr<Updater>()> makeUpdater = {});

    AppStorage<BottomPanelType> selectedComponent;
    AppStorage<bool> hideDockIcon;
    State<std::shared_ptr<Updater>> updaterController;
    State<bool> showingDeleteConfirmation{false};
    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;
    EnvironmentObject<UnifiedActivityService> unifiedActivityService;
    StateObject<PreferencesModel> preferences;
    State<std::string> newCategoryName{std::string()};
    State<bool> newCategoryIsPositive{true};
    State<int> selectedTab{0};

    AnyView body() const;

private:
    AnyView categoriesTab() const;
    AnyView settingsTab() const;
};

// The default categories, each with a new id, saved without clearing any stored data.
void resetToDefaultCategories(PreferencesModel& preferences);

} // namespace glimmo
