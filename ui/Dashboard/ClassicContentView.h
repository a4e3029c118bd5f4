#pragma once

#include "analysis/ContentViewModel.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/view/ViewKit.h"

#include <memory>

namespace glimmo {

// The single-column dashboard: the scores over a bottom panel chosen from a menu (the choice is
// kept in the user defaults, shared with the preferences window).
struct ClassicContentView : View<ClassicContentView> {
    ClassicContentView(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor,
                       std::shared_ptr<UnifiedActivityService> unifiedActivityService);

    StateObject<PreferencesModel> preferences;
    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;
    ObservedObject<UnifiedActivityService> unifiedActivityService;
    StateObject<ContentViewModel> viewModel;

    AnyView body() const;
};

} // namespace glimmo
