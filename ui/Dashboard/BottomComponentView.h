#pragma once

#include "app/ActivityDataManager.h"
#include "app/ActivityMonitor.h"
#include "app/ActivityTypes.h"
#include "app/ChromeHistoryReader.h"
#include "platform/view/ViewKit.h"

#include <optional>
#include <vector>

namespace glimmo {

// The Classic layout's chosen panel: the weekly chart, the hourly switches, the media digest, a
// placeholder, or nothing.
struct BottomComponentView : View<BottomComponentView> {
    BottomPanelType selectedComponent = BottomPanelType::none;
    std::vector<std::optional<DailyActivityData>> weekData;
    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;

    AnyView body() const;
};

} // namespace glimmo
