// The merge of application records and browser visits into one list of named activities.
#include "app/ActivityRecord.h"
#include "app/ChromeHistoryReader.h"
#include "app/UnifiedActivityService.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <unordered_map>

namespace glimmo {
namespace {

struct Span {
    Date begin;
    Date end;
};

bool isBrowserRecord(const ActivityRecordValue& record) {
    return lowercased(record.appName).find("chrome") != std::string::npos;
}

// The time a record covers: from its start for as long as it was credited.
Span spanOf(const ActivityRecordValue& record) {
    const Date begin = record.timestamp;
    return {begin, begin.addingTimeInterval(std::max(0.0, record.duration))};
}

double overlap(Span a, Span b) {
    return std::max(0.0, std::min(a.end, b.end).timeIntervalSince(std::max(a.begin, b.begin)));
}

// When the browser was the front application, as sorted, disjoint spans.
class BrowserFrontTime {
public:
    explicit BrowserFrontTime(const ActivityRecordSnapshot& records) {
        for (const auto& record : records) {
            if (isBrowserRecord(*record) && record->duration > 0) {
                spans_.push_back(spanOf(*record));
            }
        }
        std::sort(spans_.begin(), spans_.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
        std::vector<Span> joined;
        for (const Span& span : spans_) {
            if (!joined.empty() && !(joined.back().end < span.begin)) {
                joined.back().end = std::max(joined.back().end, span.end);
            } else {
                joined.push_back(span);
            }
        }
        spans_ = std::move(joined);
    }

    // Seconds of `span` during which the browser was in front.
    double within(Span span) const {
        auto it = std::lower_bound(spans_.begin(), spans_.end(), span.begin,
                                   [](const Span& front, Date begin) { return front.end < begin; });
        double seconds = 0;
        for (; it != spans_.end() && it->begin < span.end; ++it) {
            seconds += overlap(*it, span);
        }
        return seconds;
    }

private:
    std::vector<Span> spans_;
};

std::optional<std::string> websiteName(const HistoryItem& visit) {
    std::optional<std::string> host = visit.host;
    if (host && host->rfind("www.", 0) == 0) {
        host->erase(0, 4);
    }
    return host;
}

} // namespace

std::vector<UnifiedActivity> mergeActivities(const std::vector<HistoryItem>& visits, const ActivityRecordSnapshot& records,
                                             Date start, Date end) {
    const Span window{start, end};
    std::vector<const HistoryItem*> kept;
    for (const HistoryItem& visit : visits) {
        if (start <= visit.lastVisit && visit.lastVisit <= end) {
            kept.push_back(&visit);
        }
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const HistoryItem* a, const HistoryItem* b) { return a->lastVisit < b->lastVisit; });

    // A visit lasts until the next one (the last one a minute), but only the part of it that the
    // browser spent in front and that lies inside the window counts: the history alone cannot tell
    // a page being read from a page left open overnight.
    const BrowserFrontTime browserFront(records);
    std::vector<UnifiedActivity> sequence;
    sequence.reserve(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const Date visitEnd = i + 1 < kept.size() ? kept[i + 1]->lastVisit : kept[i]->lastVisit.addingTimeInterval(60);
        std::optional<std::string> name = websiteName(*kept[i]);
        if (!name) {
            continue;
        }
        const double seconds = browserFront.within({kept[i]->lastVisit, std::min(visitEnd, end)});
        sequence.push_back(
            {std::move(*name), UnifiedActivity::ActivityType::website, seconds, kept[i]->lastVisit, kept[i]->url});
    }
    // A record counts with the part of it inside the window, also when it began before it (across
    // midnight, say).
    for (const auto& record : records) {
        const Span span = spanOf(*record);
        const bool startsInside = start <= span.begin && span.begin <= end;
        const double seconds = overlap(span, window);
        if ((!startsInside && seconds <= 0) || isBrowserRecord(*record)) {
            continue;
        }
        sequence.push_back({record->appName, UnifiedActivity::ActivityType::app, seconds, std::max(span.begin, start),
                            record->windowText});
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

} // namespace glimmo
