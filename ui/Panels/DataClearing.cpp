#include "ui/Panels/DataClearing.h"

#include "analysis/ContentViewModel.h"
#include "analysis/JournalPromptCache.h"
#include "app/ActivityDataManager.h"
#include "app/ActivityMonitor.h"
#include "app/ActivityTypes.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <optional>

namespace glimmo {

namespace {

std::optional<Subscription>& categoryObserver() {
    static std::optional<Subscription> observer;
    return observer;
}

// What was worked out from the activity, after the per-day store (and the records, when they go
// too): the unified service's window cache, the journal cache and the remembered activities.
void clearWorkedOutData(UnifiedActivityService& unifiedActivityService) {
    unifiedActivityService.cachedActivities = {};
    JournalPromptCache::shared().clear();
    PreferencesModel::shared()->clearHistory();
}

} // namespace

void clearAllApplicationData(ActivityMonitor& activityMonitor, UnifiedActivityService& unifiedActivityService,
                             ChromeHistoryReader& chromeReader) {
    ActivityDataManager::shared().clearAllData();
    activityMonitor.clearAllRecords();
    clearWorkedOutData(unifiedActivityService);
    chromeReader.removeHistoryCopy();
    NotificationCenter::defaultCenter().post(ContentViewModel::didClearApplicationData);
}

void clearDataForCategoryChange(UnifiedActivityService& unifiedActivityService) {
    ActivityDataManager::shared().clearAllData();
    clearWorkedOutData(unifiedActivityService);
    systemLog("All application data cleared due to category change via notification.");
    NotificationCenter::defaultCenter().post(ContentViewModel::didClearAnalyses);
}

void observeCategoryChanges(NotificationCenter& center, std::weak_ptr<UnifiedActivityService> unifiedActivityService) {
    auto& observer = categoryObserver();
    if (observer) return;
    observer = center.addObserver(didChangeCategoriesRequiringDataClear, [unifiedActivityService](const Notification&) {
        if (const auto service = unifiedActivityService.lock()) clearDataForCategoryChange(*service);
    });
}

void resetCategoryChangeObserver() {
    categoryObserver().reset();
}

} // namespace glimmo
