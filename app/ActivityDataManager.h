#pragma once

#include "app/ClearMark.h"
#include "app/DailyActivityStore.h"
#include "platform/foundation/FileIdentity.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Date.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

// The day analysis's AI answers on disk, one entry per calendar day, in "dailyActivityData.json"
// in the application's folder under Application Support. Every operation looks at the file anew, so
// what anyone else writes there is seen; the store it last read or wrote is kept with the file's
// identity, and taken from memory while the file is still that version rather than decoded again (a
// file at its budget takes up to a tenth of a second to decode). Main thread only.
//
// The file is rewritten whole with every save, so it is kept within a budget (dailyActivityFileWithin):
// a year of real answers (a few kilobytes a day) fits, and past it the oldest days go, never the last
// seven that the weekly chart reads (nothing else reads a day once its answer is 4 hours old). Seven
// days of answers at their bound, each written in at most storedAnswerWrittenLimit bytes (one heavy
// with backslashes or quotes in twice its size), take less than nine tenths of it, so the week is kept
// whole; only what an earlier version left past the bounds can cost it a day's application times or
// further answers.
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
    // The file's store: the one known while the file is still its version, else the file decoded (and
    // then known). Empty when there is no file; throws what reading and decoding throw.
    const DailyActivityStore& storeOf(const std::filesystem::path& file) const;
    // The same, no longer known: the caller changes it.
    DailyActivityStore takeStore(const std::filesystem::path& file);

    // The store as the file held it when this manager last read or wrote it, with the file's identity then.
    struct KnownStore {
        std::optional<FileIdentity> identity;
        DailyActivityStore store;
    };

    const Clock& clock_;
    std::function<std::optional<std::filesystem::path>()> applicationFolder_;
    ClearCount clears_;
    mutable std::optional<KnownStore> known_;
};

} // namespace glimmo
