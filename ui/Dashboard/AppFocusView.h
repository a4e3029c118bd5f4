#pragma once

#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/UUID.h"
#include "platform/view/ViewKit.h"

#include <memory>
#include <vector>

namespace glimmo {

// Application plus website switches within one hour of today.
struct AppSwitchData {
    UUID id = UUID::random();
    Date hour;
    int switches = 0;

    bool operator==(const AppSwitchData&) const = default;
};

// The 24 hours of the day of `now`, each with the switches both services count inside it.
std::vector<AppSwitchData> computeSwitchData(const Calendar& calendar, Date now, const ActivityMonitor& activityMonitor,
                                             const ChromeHistoryReader& chromeReader);

// "TODAY'S CONTEXT SWITCHES": a line of the hourly switches over the whole day. The counts are a
// snapshot taken each time the view comes on screen.
struct AppFocusView : View<AppFocusView> {
    AppFocusView(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor);

    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;
    State<std::vector<AppSwitchData>> switchData{std::vector<AppSwitchData>{}};
    std::vector<Color> colors;

    void computeSwitchData() const;
    AnyView body() const;
};

} // namespace glimmo
