#pragma once

// Builds the two views the application object shows: the menu-bar window's content and the
// preferences view. Kept apart so the application object does not depend on how they are made.

#include "platform/view/View.h"

#include <memory>

namespace glimmo {

class ActivityMonitor;
class ChromeHistoryReader;
class PreferencesModel;
class UnifiedActivityService;

// ContentView(preferences, chromeReader, activityMonitor, unifiedActivityService).
AnyView makeContentView(const std::shared_ptr<PreferencesModel>& preferences,
                        const std::shared_ptr<ChromeHistoryReader>& chromeReader,
                        const std::shared_ptr<ActivityMonitor>& activityMonitor,
                        const std::shared_ptr<UnifiedActivityService>& unifiedActivityService);

// PreferencesView(chromeReader, activityMonitor); the caller supplies the unified activity service as
// an environment object.
AnyView makePreferencesView(const std::shared_ptr<ChromeHistoryReader>& chromeReader,
                            const std::shared_ptr<ActivityMonitor>& activityMonitor);

// Whether the functions above build the real views (false while they show a notice instead).
bool mainViewsAreBuilt();

} // namespace glimmo
