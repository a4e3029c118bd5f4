#include "ui/Panels/DataClearing.h"

#include "analysis/JournalPromptCache.h"
#include "app/ActivityDataManager.h"
#include "app/ActivityMonitor.h"
#include "app/ActivityTypes.h"
#include "app/UnifiedActivityService.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <optional>

namespace glimmo {

namespace {

std::optional<Subscription>& categoryObserver() {
    static std::optional<Subscription> observer;
    return observer;
}

} // namespace

void clearAllApplicationData(ActivityMonitor& activityMonitor, UnifiedActivityService& unifiedActivityService,
                             bool fromNotification) {
    ActivityDataManager::shared().clearAllData();
    activityMonitor.clearAllRecords();
    unifiedActivityService.cachedActivities = {};
    JournalPromptCache& journalCache = JournalPromptCache::shared();
    journalCache.defaults().remove(journalCache.cacheKey);
    if (fromNotification) {
        systemLog("All application data cleared due to category change via notification.");
    }
}

void observeCategoryChanges(NotificationCenter& center, std::weak_ptr<ActivityMonitor> activityMonitor,
                            std::weak_ptr<UnifiedActivityService> unifiedActivityService) {
    auto& observer = categoryObserver();
    if (observer) return;
    observer = center.addObserver(didChangeCategoriesRequiringDataClear, [activityMonitor, unifiedActivityService](const Notification&) {
        const auto monitor = activityMonitor.lock();
        const auto service = unifiedActivityService.lock();
        if (monitor && service) clearAllApplicationData(*monitor, *service, true);
    });
}

void resetCategoryChangeObserver() {
    categoryObserver().reset();
}

} // namespace glimmo
