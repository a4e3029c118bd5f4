#include "app/UnifiedActivityService.h"

#include "app/URLHost.h"

#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

namespace glimmo {
namespace {

// Shortest text that reads back to the same double; whole numbers keep ".0".
std::string numberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) {
        text += ".0";
    }
    return text;
}

std::optional<std::string> websiteName(const std::string& url) {
    std::optional<std::string> host = hostOfVisitedURL(url);
    if (host && host->rfind("www.", 0) == 0) {
        host->erase(0, 4);
    }
    return host;
}

} // namespace

UnifiedActivityService::UnifiedActivityService(std::shared_ptr<ActivityMonitor> activityMonitor,
                                               std::shared_ptr<ChromeHistoryReader> chromeReader,
                                               std::shared_ptr<PreferencesModel> preferences, const Clock& clock)
    : activityMonitor(std::move(activityMonitor)), chromeReader(std::move(chromeReader)),
      preferences(std::move(preferences)), clock_(clock) {}

UnifiedActivityService::UnifiedActivityService(std::shared_ptr<ActivityMonitor> activityMonitor,
                                               std::shared_ptr<ChromeHistoryReader> chromeReader,
                                               std::shared_ptr<PreferencesModel> preferences)
    : UnifiedActivityService(std::move(activityMonitor), std::move(chromeReader), std::move(preferences),
                             RunLoop::main().clock()) {}

std::string UnifiedActivityService::cacheKey(Date start, Date end) {
    const Calendar calendar = Calendar::current();
    return numberText(calendar.startOfDay(start).unixTime()) + "-" + numberText(calendar.startOfDay(end).unixTime());
}

std::vector<UnifiedActivity> mergeActivities(const std::vector<HistoryItem>& visits,
                                             const std::vector<std::shared_ptr<ActivityRecord>>& records, Date start,
                                             Date end) {
    std::vector<const HistoryItem*> kept;
    for (const HistoryItem& visit : visits) {
        if (start <= visit.lastVisit && visit.lastVisit <= end) {
            kept.push_back(&visit);
        }
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const HistoryItem* a, const HistoryItem* b) { return a->lastVisit < b->lastVisit; });

    std::vector<UnifiedActivity> sequence;
    sequence.reserve(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const Date visitEnd = i + 1 < kept.size() ? kept[i + 1]->lastVisit : kept[i]->lastVisit.addingTimeInterval(60);
        std::optional<std::string> name = websiteName(kept[i]->url);
        if (!name) {
            continue;
        }
        sequence.push_back({std::move(*name), UnifiedActivity::ActivityType::website,
                            visitEnd.timeIntervalSince(kept[i]->lastVisit), kept[i]->lastVisit, kept[i]->url});
    }
    for (const auto& record : records) {
        const Date timestamp = record->timestamp.get();
        if (timestamp < start || end < timestamp || lowercased(record->appName).find("chrome") != std::string::npos) {
            continue;
        }
        sequence.push_back({record->appName, UnifiedActivity::ActivityType::app, record->duration.get(), timestamp,
                            record->windowText.get()});
    }

    std::unordered_map<std::string, std::size_t> indexByName;
    std::vector<UnifiedActivity> merged;
    for (UnifiedActivity& entry : sequence) {
        const auto [found, inserted] = indexByName.try_emplace(entry.name, merged.size());
        if (inserted) {
            merged.push_back(std::move(entry));
            continue;
        }
        UnifiedActivity& stored = merged[found->second];
        stored.type = entry.type;
        stored.duration += entry.duration;
        if (entry.timestamp < stored.timestamp) {
            stored.timestamp = entry.timestamp;
        }
        stored.context += "\n---\n";
        stored.context += entry.context;
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const UnifiedActivity& a, const UnifiedActivity& b) { return b.timestamp < a.timestamp; });
    return merged;
}

std::vector<UnifiedActivity> UnifiedActivityService::unifiedActivities(Date start, Date end) {
    const std::string key = cacheKey(start, end);
    const Date now = clock_.now();
    if (const auto cached = cachedActivities.find(key);
        cached != cachedActivities.end() && std::abs(now.timeIntervalSince(cached->second.second)) < cacheLifetime) {
        return cached->second.first;
    }
    chromeReader->copyAndLoadHistory();
    std::vector<UnifiedActivity> list =
        mergeActivities(chromeReader->historyItems.get(), activityMonitor->activityRecords.get(), start, end);
    cachedActivities[key] = {list, now};
    return list;
}

Task<std::vector<UnifiedActivity>> UnifiedActivityService::getUnifiedActivities(Date start, Date end) {
    co_return unifiedActivities(start, end);
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
