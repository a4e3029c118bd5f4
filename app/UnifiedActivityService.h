#pragma once

#include "app/ActivityRecord.h"
#include "app/ActivityReport.h"
#include "app/UnifiedActivity.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

class ActivityMonitor;
class BackgroundQueue;
class ChromeHistoryReader;
class PreferencesModel;
struct HistoryItem;

// Merges the monitor's application records and the browser's visits into one list of named
// activities per time window (both bounds inclusive), and builds the window's report.
// Lists are cached per pair of calendar days for 600 s; building one waits for a history reload
// that is due, and merges a snapshot of both sources on a thread of its own (a day may hold tens of
// thousands of visits), with the records of the archived days that the window reaches, read there.
// Main thread only.
class UnifiedActivityService : public ObservableObject {
public:
    static constexpr double cacheLifetime = 600;
    // The visits copied for a merge in one turn of the main loop: a busy day holds tens of thousands, whose
    // copy at once would hold the loop for tens of milliseconds.
    static constexpr std::size_t visitsCopiedPerTurn = 4096;

    using CacheEntry = std::pair<std::vector<UnifiedActivity>, Date>;

    UnifiedActivityService(std::shared_ptr<ActivityMonitor> activityMonitor,
                           std::shared_ptr<ChromeHistoryReader> chromeReader,
                           std::shared_ptr<PreferencesModel> preferences, const Clock& clock);
    // On the main run loop's clock.
    UnifiedActivityService(std::shared_ptr<ActivityMonitor> activityMonitor,
                           std::shared_ptr<ChromeHistoryReader> chromeReader,
                           std::shared_ptr<PreferencesModel> preferences);
    ~UnifiedActivityService() override;

    // Ends with CancellationError when the service is freed while the history loads.
    Task<std::vector<UnifiedActivity>> getUnifiedActivities(Date start, Date end);
    Task<double> totalDuration(Date start, Date end);
    // Seconds per name, largest first.
    Task<std::vector<std::pair<std::string, double>>> durationsByName(Date start, Date end);
    Task<UnifiedActivityReport> generateReport(Date start, Date end);
    static std::string formatReport(const UnifiedActivityReport& report);

    // What getUnifiedActivities does, with the history as it is now and on the calling thread (the
    // archived days of the window too): a reload that is due is started, not waited for.
    std::vector<UnifiedActivity> unifiedActivities(Date start, Date end);
    // The key of a window: its two calendar days.
    static std::string cacheKey(Date start, Date end);

    // Cache key to (list, moment it was built). Assigning an empty map makes the next request
    // build again.
    std::map<std::string, CacheEntry> cachedActivities;

    const std::shared_ptr<ActivityMonitor> activityMonitor;
    const std::shared_ptr<ChromeHistoryReader> chromeReader;
    const std::shared_ptr<PreferencesModel> preferences;

private:
    // The cached list of the key while it is fresh; null otherwise.
    const std::vector<UnifiedActivity>* freshEntry(const std::string& key) const;
    // The visits of the window and the records as they are now: what a merge on another thread reads. The
    // visits are copied `visitsCopiedPerTurn` at a time; a list replaced meanwhile is copied again. Ends
    // with CancellationError when the service is freed meanwhile.
    Task<std::vector<HistoryItem>> visitsWithin(Date start, Date end) const;
    ActivityRecordSnapshot recordSnapshot() const;

    const Clock& clock_;
    std::unique_ptr<BackgroundQueue> merger_;
    // Expires with the service: a request resumed after a history load learns whether to go on.
    const std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

// The time of all of `activities`, in seconds.
double totalDuration(const std::vector<UnifiedActivity>& activities);

// The merge itself: the visits and records of [start, end], one entry per name, newest first.
// A record counts with the part of it inside the window. A visit lasts until the next visit (the
// last one a minute) and counts only while the browser's records show it in front, never past
// `end`; the browser's own records are left out since its time shows through the visits.
std::vector<UnifiedActivity> mergeActivities(const std::vector<HistoryItem>& visits, const ActivityRecordSnapshot& records,
                                             Date start, Date end);

} // namespace glimmo
