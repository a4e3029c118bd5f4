#pragma once

#include "app/ActivityTypes.h"
#include "app/PreferencesModel.h"
#include "platform/view/ViewKit.h"

#include <functional>
#include <string>
#include <vector>

namespace glimmo {

// "WHAT YOU WERE DOING": the day's activities, then the remembered activities of earlier analyses.
struct ActivitiesListView : View<ActivitiesListView> {
    std::vector<Activity> activities;
    bool isLoading = false;
    Date lastUpdateTime;
    std::function<std::string(Date)> formatQueryTime;
    StateObject<PreferencesModel> preferences{[] { return PreferencesModel::shared(); }};

    AnyView body() const;
};

} // namespace glimmo
