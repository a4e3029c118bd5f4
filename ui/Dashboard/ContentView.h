#pragma once

#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/view/ViewKit.h"

namespace glimmo {

// The menu-bar window's content: the Modern, Classic or Journal layout, as the stored view style
// says at every redraw. Each layout has its own identity, so switching replaces it with a fresh one.
struct ContentView : View<ContentView> {
    StateObject<PreferencesModel> preferences;
    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;
    ObservedObject<UnifiedActivityService> unifiedActivityService;

    AnyView body() const;
};

} // namespace glimmo
