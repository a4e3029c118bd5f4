#include "app/UnifiedActivityService.h"

#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/NumberText.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>
#include <cmath>

namespace glimmo {
namespace {

// Shortest text that reads back to the same double; whole numbers keep ".0".
std::string keyNumberText(double value) {
    std::string text = numberText(value);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) {
        text += ".0";
    }
    return text;
}

} // namespace

UnifiedActivityService::UnifiedActivityService(std::shared_ptr<ActivityMonitor> activityMonitor,
                                               std::shared_ptr<ChromeHistoryReader> chromeReader,
                                               std::shared_ptr<PreferencesModel> preferences, const Clock& clock)
    : activityMonitor(std::move(activityMonitor)), chromeReader(std::move(chromeReader)),
      preferences(std::move(preferences)), clock_(clock), merger_(std::make_unique<BackgroundQueue>()) {}

UnifiedActivityService::UnifiedActivityService(std::shared_ptr<ActivityMonitor> activityMonitor,
                                               std::shared_ptr<ChromeHistoryReader> chromeReader,
                                               std::shared_ptr<PreferencesModel> preferences)
    : UnifiedActivityService(std::move(activityMonitor), std::move(chromeReader), std::move(preferences),
                             RunLoop::main().clock()) {}

UnifiedActivityService::~UnifiedActivityService() = default;

std::string UnifiedActivityService::cacheKey(Date start, Date end) {
    const Calendar calendar = Calendar::current();
    return keyNumberText(calendar.startOfDay(start).unixTime()) + "-" + keyNumberText(calendar.startOfDay(end).unixTime());
}

const std::vector<UnifiedActivity>* UnifiedActivityService::freshEntry(const std::string& key) const {
    const auto cached = cachedActivities.find(key);
    if (cached == cachedActivities.end() ||
        !(std::abs(clock_.now().timeIntervalSince(cached->second.second)) < cacheLifetime)) {
        return nullptr;
    }
    return &cached->second.first;
}

std::vector<HistoryItem> UnifiedActivityService::visitsWithin(Date start, Date end) const {
    std::vector<HistoryItem> visits;
    for (const HistoryItem& visit : chromeReader->historyItems.get()) {
        if (start <= visit.lastVisit && visit.lastVisit <= end) {
            visits.push_back(visit);
        }
    }
    return visits;
}

ActivityRecordSnapshot UnifiedActivityService::recordSnapshot() const {
    return snapshotOf(activityMonitor->activityRecords.get());
}

std::vector<UnifiedActivity> UnifiedActivityService::unifiedActivities(Date start, Date end) {
    const std::string key = cacheKey(start, end);
    if (const auto* cached = freshEntry(key)) {
        return *cached;
    }
    chromeReader->copyAndLoadHistory();
    // Merged on this thread: the visits are read where they are, not copied.
    std::vector<UnifiedActivity> list =
        mergeActivities(chromeReader->historyItems.get(), recordSnapshot(), start, end);
    cachedActivities[key] = {list, clock_.now()};
    return list;
}

Task<std::vector<UnifiedActivity>> UnifiedActivityService::getUnifiedActivities(Date start, Date end) {
    const std::string key = cacheKey(start, end);
    if (const auto* cached = freshEntry(key)) {
        co_return *cached;
    }
    // The history is read off the main thread; the list waits for it, the interface does not.
    const std::weak_ptr<const bool> alive = alive_;
    auto reload = chromeReader->reloadHistory();
    co_await std::move(reload);
    if (alive.expired()) {
        throw CancellationError{}; // nobody is left to ask for the list, nor anything to build it from
    }
    // The merge gets copies: the sources live on the main thread and may change meanwhile.
    auto merging = merger_->perform([visits = visitsWithin(start, end), records = recordSnapshot(), start, end] {
        return mergeActivities(visits, records, start, end);
    });
    std::vector<UnifiedActivity> list = co_await std::move(merging);
    if (alive.expired()) {
        throw CancellationError{};
    }
    cachedActivities[key] = {list, clock_.now()};
    co_return list;
}

Task<double> UnifiedActivityService::totalDuration(Date start, Date end) {
    auto request = getUnifiedActivities(start, end);
    const std::vector<UnifiedActivity> list = co_await std::move(request);
    double total = 0;
    for (const UnifiedActivity& activity : list) {
        total += activity.duration;
    }
    co_return total;
}

Task<std::vector<std::pair<std::string, double>>> UnifiedActivityService::durationsByName(Date start, Date end) {
    auto request = getUnifiedActivities(start, end);
    const std::vector<UnifiedActivity> list = co_await std::move(request);
    std::map<std::string, double> sums;
    for (const UnifiedActivity& activity : list) {
        sums[activity.name] += activity.duration;
    }
    std::vector<std::pair<std::string, double>> pairs(sums.begin(), sums.end());
    std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    co_return pairs;
}

Task<UnifiedActivityReport> UnifiedActivityService::generateReport(Date start, Date end) {
    auto totalRequest = totalDuration(start, end);
    const double total = co_await std::move(totalRequest);
    auto listRequest = getUnifiedActivities(start, end);
    const std::vector<UnifiedActivity> list = co_await std::move(listRequest);
    co_return makeActivityReport(list, total);
}

std::string UnifiedActivityService::formatReport(const UnifiedActivityReport& report) {
    return formatActivityReport(report);
}

} // namespace glimmo
