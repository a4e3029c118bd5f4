#pragma once

// The per-day store's values and its file form: one compact JSON object of day key to day, which the
// file keeps within a budget.

#include "platform/runtime/Date.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace glimmo {

// One stored AI answer.
struct TimeframeData {
    std::string promptResponse;
    Date lastUpdateTime;

    bool operator==(const TimeframeData&) const = default;
};

// One day of the per-day store.
struct DailyActivityData {
    std::string date; // "yyyy-MM-dd", equal to its key in the file
    std::map<std::string, TimeframeData> timeframes;
    Date lastUpdateTime;
    std::map<std::string, double> appUsage;
    double totalDuration = 0;
    std::map<std::string, double> categoryDurations;

    bool operator==(const DailyActivityData&) const = default;
};

using DailyActivityStore = std::map<std::string, DailyActivityData>;

// The file form: one compact JSON object of day key to day; dates as seconds since 2001. Written in one
// pass, in time linear in its size.
std::string encodeDailyActivityStore(const DailyActivityStore& store);
// Throws JSONDecodingError when an entry lacks one of its keys or has a value of the wrong type.
DailyActivityStore decodeDailyActivityStore(std::string_view json);

// What the file keeps of a store, and the file's text for it.
struct DailyActivityFile {
    DailyActivityStore store;
    std::string text;
};

// What the file keeps of `store` so that, as written, it takes at most `budget` bytes, whatever an
// earlier version left in it. Each answer kept is first brought within its bounds
// (storedAnswerTextWithin); those of days that go are not looked at. The days `alwaysKept` names (the
// week the chart reads) come first, the newest first, each whole when it fits; one that does not fit
// whole keeps its answers, the newest first, while they fit, and loses its application and category
// times, which nothing reads. Then the newest of the other days while the whole fits; the older go. Each
// day kept is written once, and the text is made of them.
DailyActivityFile dailyActivityFileWithin(DailyActivityStore store, const std::set<std::string>& alwaysKept,
                                          std::size_t budget);

} // namespace glimmo
