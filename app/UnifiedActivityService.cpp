#include "app/UnifiedActivityService.h"

#include "app/ActivityMonitor.h"
#include "app/ActivityRecordArchive.h"
#include "app/ChromeHistoryReader.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/NumberText.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

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

// The records of [start, end]: those in memory as they are now, then those of the archived days that
// memory does not hold (a record moved while it was also still in the record file counts once).
ActivityRecordSnapshot withArchivedRecords(ActivityRecordSnapshot records, const ActivityRecordArchive& archive,
                                           Date start, Date end) {
    std::unordered_set<UUID> held;
    for (const auto& record : records) {
        held.insert(record->id);
    }
    for (ActivityRecordValue& record : archive.recordsWithin(start, end)) {
        if (held.count(record.id) == 0) {
            records.push_back(std::make_shared<const ActivityRecordValue>(std::move(record)));
        }
    }
    return records;
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

Task<std::vector<HistoryItem>> UnifiedActivityService::visitsWithin(Date start, Date end) const {
    const std::weak_ptr<const bool> alive = alive_;
    for (;;) {
        // A reload that ends meanwhile replaces the list: the copy starts again from the new one.
        bool replaced = false;
        const Subscription watch =
            chromeReader->historyItems.didChange.connect([&replaced](const std::vector<HistoryItem>&) { replaced = true; });
        const std::vector<HistoryItem>& all = chromeReader->historyItems.get();
        const auto inWindow = [&](const HistoryItem& visit) { return start <= visit.lastVisit && visit.lastVisit <= end; };
        std::vector<HistoryItem> visits;
        // Grown at once: growing as it fills would move what it holds, tens of thousands of visits, in one turn.
        visits.reserve(static_cast<std::size_t>(std::count_if(all.begin(), all.end(), inWindow)));
        for (std::size_t next = 0; next < all.size() && !replaced;) {
            for (const std::size_t pieceEnd = std::min(all.size(), next + visitsCopiedPerTurn); next < pieceEnd; ++next) {
                if (inWindow(all[next])) {
                    visits.push_back(all[next]);
                }
            }
            if (next < all.size()) {
                auto nextTurn = sleepFor(0);
                co_await std::move(nextTurn);
                if (alive.expired()) {
                    throw CancellationError{};
                }
            }
        }
        if (!replaced) {
            co_return visits;
        }
    }
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
    std::vector<UnifiedActivity> list = mergeActivities(
        chromeReader->historyItems.get(),
        withArchivedRecords(recordSnapshot(), *activityMonitor->recordArchive(), start, end), start, end);
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
    for (;;) {
        // A merge that a clear of the records overtakes read what is gone (from memory or from days not yet
        // removed): it is made again from what is left, and neither cached nor handed on.
        const ClearMark records = activityMonitor->recordClearMark();
        // The merge gets copies: the sources live on the main thread and may change meanwhile.
        auto copying = visitsWithin(start, end);
        std::vector<HistoryItem> visits = co_await std::move(copying);
        // The archived days of the window are read there too.
        auto merging = merger_->perform([visits = std::move(visits), records = recordSnapshot(),
                                         archive = activityMonitor->recordArchive(), start, end]() mutable {
            return mergeActivities(visits, withArchivedRecords(std::move(records), *archive, start, end), start, end);
        });
        std::vector<UnifiedActivity> list = co_await std::move(merging);
        if (alive.expired()) {
            throw CancellationError{};
        }
        if (!activityMonitor->recordsClearedSince(records)) {
            cachedActivities[key] = {list, clock_.now()};
            co_return list;
        }
    }
}

double totalDuration(const std::vector<UnifiedActivity>& activities) {
    double total = 0;
    for (const UnifiedActivity& activity : activities) {
        total += activity.duration;
    }
    return total;
}

Task<double> UnifiedActivityService::totalDuration(Date start, Date end) {
    auto request = getUnifiedActivities(start, end);
    const std::vector<UnifiedActivity> list = co_await std::move(request);
    co_return glimmo::totalDuration(list);
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
