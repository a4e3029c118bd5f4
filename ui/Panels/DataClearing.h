#pragma once

// Clearing stored data: all of it after "Clear All Data", and what was worked out with the old
// categories whenever a category is added or deleted.

#include <memory>

namespace glimmo {

class ActivityMonitor;
class ChromeHistoryReader;
class NotificationCenter;
class UnifiedActivityService;

// Everything the confirmation names: the per-day store file, the activity records and their file,
// the unified service's window cache, the journal cache, the remembered activities and the private
// copy of the browser history. Open dashboards then show the empty day. The categories and the
// settings stay.
void clearAllApplicationData(ActivityMonitor& activityMonitor, UnifiedActivityService& unifiedActivityService,
                             ChromeHistoryReader& chromeReader);

// What depends on the categories: the per-day answers, the unified service's window cache, the
// journal cache and the activities remembered from the answers. The activity records, which hold
// applications and time, stay. Writes the category-change log line. Open dashboards then stop
// showing their day's analysis.
void clearDataForCategoryChange(UnifiedActivityService& unifiedActivityService);

// Registers the one observer of "didChangeCategoriesRequiringDataClear" in the process (later calls
// do nothing), clearing through the given service while it lives.
void observeCategoryChanges(NotificationCenter& center, std::weak_ptr<UnifiedActivityService> unifiedActivityService);
// Forgets the observer, so the next observeCategoryChanges registers again (tests).
void resetCategoryChangeObserver();

} // namespace glimmo
