#pragma once

// Clearing everything derived from past activity: after "Clear All Data", and whenever a category
// is added or deleted (the stored analyses were made with the old categories).

#include <memory>

namespace glimmo {

class ActivityMonitor;
class NotificationCenter;
class UnifiedActivityService;

// In this order: the per-day store file, the activity records and their file, the unified
// service's window cache and the journal cache. The categories, the remembered activities, the
// settings and the browser history copy stay. `fromNotification` adds the log line.
void clearAllApplicationData(ActivityMonitor& activityMonitor, UnifiedActivityService& unifiedActivityService,
                             bool fromNotification);

// Registers the one observer of "didChangeCategoriesRequiringDataClear" in the process (later calls
// do nothing), clearing through the given monitor and service while they live.
void observeCategoryChanges(NotificationCenter& center, std::weak_ptr<ActivityMonitor> activityMonitor,
                            std::weak_ptr<UnifiedActivityService> unifiedActivityService);
// Forgets the observer, so the next observeCategoryChanges registers again (tests).
void resetCategoryChangeObserver();

} // namespace glimmo
