#pragma once

#include "analysis/ContentViewModel.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/view/ViewKit.h"

#include <memory>

namespace glimmo {

// The tabbed dashboard: the day's scores and lists, the three charts, or the chat, with a button
// that copies the day's report summary.
struct ModernContentView : View<ModernContentView> {
    ModernContentView(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor,
                      std::shared_ptr<UnifiedActivityService> unifiedActivityService);

    StateObject<PreferencesModel> preferences;
    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;
    ObservedObject<UnifiedActivityService> unifiedActivityService;
    StateObject<ContentViewModel> viewModel;
    State<int> selectedTab{0};
    State<bool> copyHoveredModern{false};

    AnyView body() const;

private:
    AnyView copyButton() const;
    AnyView tabContent() const;
};

} // namespace glimmo
