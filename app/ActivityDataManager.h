#pragma once

#include "app/ClearMark.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Date.h"

#include <filesystem>
#include <functional>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The file form: one compact JSON object of day key to day; dates as seconds since 2001.
std::string encodeDailyActivityStore(const DailyActivityStore& store);
// Throws JSONDecodingError when an entry lacks one of its keys or has a value of the wrong type.
DailyActivityStore decodeDailyActivityStore(std::string_view json);

// What the file keeps of `store`: the days `alwaysKept` names, whatever their size, then the newest
// of the others while the whole, as written, takes at most `budget` bytes; the older days go. Each
// answer kept is within its bounds (storedAnswerTextWithin); those of days that go are not looked at.
DailyActivityStore dailyActivityStoreWithin(DailyActivityStore store, const std::set<std::string>& alwaysKept,
                                            std::size_t budget);

// The day analysis's AI answers on disk, one entry per calendar day, in "dailyActivityData.json"
// in the application's folder under Application Support. Holds no data between calls: every
// operation reads the file anew. Main thread only.
//
// The file is rewritten whole with every save, so it is kept within a budget: a year of real answers
// (a few kilobytes a day) fits, and past it the oldest days go, never the last seven that the weekly
// chart reads (nothing else reads a day once its answer is 4 hours old). Seven days of answers at
// their bound (storedAnswerLimit) take less than half of it.
class ActivityDataManager {
public:
    static constexpr double refreshInterval = 14400;
    static constexpr const char* dataFileName = "dailyActivityData.json";
    static constexpr std::size_t storedBytesBudget = std::size_t{4} << 20;
    // Today and the days before it that the weekly chart reads: always kept.
    static constexpr int chartDays = 7;

    // `applicationFolder` gives the folder (nullopt when there is none); by default
    // applicationDataDirectory(), computed on every use.
    explicit ActivityDataManager(const Clock& clock,
                                 std::function<std::optional<std::filesystem::path>()> applicationFolder = {});

    // The process-wide store on the main run loop's clock, created on first use.
    static ActivityDataManager& shared();
    static void setShared(std::shared_ptr<ActivityDataManager> manager);

    // Files the answer under the day that `timeframe` names (a "yyyy-MM-dd" key), or under today
    // when it names no day; an answer past its bounds is kept within them (storedAnswerTextWithin).
    void savePromptResponse(const std::string& response, const std::string& timeframe);
    // The same, unless the store was cleared after `since` was taken: an answer asked for before the
    // clear was made from data that is gone, and is refused (false).
    bool savePromptResponse(const std::string& response, const std::string& timeframe, ClearMark since);
    // The stored answer for `timeframe` and whether it is stale (14400 s old or more); (nullopt,
    // true) when there is none.
    std::pair<std::optional<std::string>, bool> loadPromptResponse(const std::string& timeframe) const;
    // Index 0 is today, index i the day i calendar days back.
    std::vector<std::optional<DailyActivityData>> loadPastDaysData(int days) const;
    // Deletes the file. Counts as a clear for the marks whether or not there was one.
    void clearAllData();
    // Taken when the work that will save an answer begins (see savePromptResponse).
    ClearMark clearMark() const { return clears_.mark(); }

    std::optional<std::filesystem::path> dataFilePath() const;

private:
    std::string entryKeyFor(const std::string& timeframe, Date now) const;

    const Clock& clock_;
    std::function<std::optional<std::filesystem::path>()> applicationFolder_;
    ClearCount clears_;
};

} // namespace glimmo
