#pragma once

#include "platform/foundation/UUID.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glimmo {

class BackgroundQueue;
class Workspace;
struct HistoryLoadOutcome;

// One URL row of the browser's history.
struct HistoryItem {
    UUID id = UUID::random(); // new for every row read
    std::string url;
    std::string title; // empty when the browser stored none
    int visitCount = 0;
    Date lastVisit;
    // hostOfVisitedURL(url), worked out once where the row is read, off the main loop: the hourly
    // charts compare the hosts of a whole day of visits each time they are shown.
    std::optional<std::string> host;
};

// How much one load of the history (the copy and the read of it) may take. A hostile History file (a
// `urls` whose rows are computed, endless or huge, a schema of countless views, a sparse file of many
// gigabytes) must neither hold the loader thread nor fill the memory or the disk; Chrome's own
// histories stay far below these.
struct HistoryReadLimits {
    std::size_t rows = 1000000;                           // the newest visits kept: historyQuery's LIMIT
    std::chrono::milliseconds time{30000};
    std::size_t valueBytes = std::size_t{4} << 20;        // any one value SQLite reads: an address, a title
    std::uint64_t textBytes = std::uint64_t{256} << 20;   // the addresses and titles of the window's visits
    std::size_t memoryBytes = std::size_t{64} << 20;      // what SQLite holds at once: schema, page cache
    std::uint64_t logBytes = std::uint64_t{256} << 20;    // the browser's write-ahead log, replayed at once
    std::uint64_t copyBytes = std::uint64_t{2} << 30;     // the copy on the disk: the History and its log
    std::uint64_t spareBytes = std::uint64_t{256} << 20;  // left free beside the copy: records, settings
};

// The user's recent web visits, read from a private copy of Google Chrome's History database.
// Loads at most once per 600 s (for all readers of the process); failures are logged and never
// reach the caller, a failure that comes back with every load only once until a load succeeds, and a
// History that a load refused (or failed to copy) is left alone until it or its log changes. The copy and the query run on a loader thread of the reader's own, one load at a
// time; the lists are replaced, and the load's lines logged, on the main run loop. Main thread only.
class ChromeHistoryReader : public ObservableObject {
public:
    static constexpr double reloadInterval = 600;
    static constexpr double historyWindow = 2851200;                        // 33 days
    static constexpr std::int64_t chromeEpochOffset = 11644473600000000LL; // µs from 1601 to 1970
    static constexpr const char* copyFileName = "chromeHistory.db";
    static constexpr const char* searchEngineDomain = "google.";
    // What a load gives, as SQLite would give it sorted: the newest `rows` visits after the bound of
    // parameter 1, newest first. A load gets them without a sort (ChromeHistoryReaderLoad.cpp); the query
    // is what it is held against.
    static std::string historyQuery(std::size_t rows = HistoryReadLimits{}.rows);

    // Reads from sourcePath and copies into destinationPath (by default the default profile's
    // History file and a file in the application's data folder). Logs its start; reads nothing.
    // On the main run loop's clock and the shared workspace.
    ChromeHistoryReader();
    ChromeHistoryReader(const Clock& clock, Workspace& workspace,
                        std::optional<std::filesystem::path> sourcePath = std::nullopt,
                        std::optional<std::filesystem::path> destinationPath = std::nullopt,
                        HistoryReadLimits limits = {});
    ~ChromeHistoryReader() override; // stops a load that is running and waits for it to end
    ChromeHistoryReader(const ChromeHistoryReader&) = delete;
    ChromeHistoryReader& operator=(const ChromeHistoryReader&) = delete;

    // ~/.config/google-chrome/Default/History
    static std::filesystem::path defaultSourcePath();
    // applicationDataDirectory() / copyFileName: the copy belongs to the one instance that owns the
    // data folder, never to another instance of the same user.
    static std::filesystem::path defaultDestinationPath();

    // Visits of the last 33 days, newest first.
    Published<std::vector<HistoryItem>> historyItems{*this, {}};
    // Search terms found in historyItems, in the same order.
    Published<std::vector<std::string>> googleSearches{*this, {}};

    // Starts a reload of both lists unless the last successful load was less than 600 s ago or a
    // load is running; returns at once.
    void copyAndLoadHistory();
    // The same, and ends once the lists hold the result of that load (or of the one running).
    Task<void> reloadHistory();
    bool isLoading() const;
    // Deletes the working copy ("Clear All Data"), also the one a running load makes; the
    // browser's own history stays.
    void removeHistoryCopy();

    // "Recent Chrome Web Activity:\n---\n" and one line per visit of "TODAY", "WEEK" or "MONTH"
    // (any other text counts as "TODAY"). With `nonEmptyLines`, only its start: it ends once it holds
    // that many lines that are not empty, so a caller that keeps no more does not wait for a month of
    // visits to be written.
    std::string historySummary(const std::string& timeframe, std::size_t nonEmptyLines = SIZE_MAX) const;
    // Website changes among the visits in [from, to), in list order.
    int siteSwitchCount(Date from, Date to) const;
    // The same for each of the ranges [bounds[i], bounds[i + 1]) of ascending `bounds`, in one pass over
    // the visits.
    std::vector<int> siteSwitchCounts(std::span<const Date> bounds) const;
    static std::vector<std::string> extractSearches(const std::vector<HistoryItem>& items);
    static std::vector<std::string> extractSearches(std::span<const HistoryItem> items);

    const std::filesystem::path& sourcePath() const { return sourcePath_; }
    const std::filesystem::path& destinationPath() const { return destinationPath_; }

    // When the last successful load of this process finished.
    static std::optional<Date> lastLoadTime();
    static void resetLastLoadTimeForTesting();

private:
    struct LoadState;

    bool isChromeRunning() const;
    // Whether a load runs after this call: one started now or the one running already.
    bool startLoad();
    void finishLoad(HistoryLoadOutcome outcome);

    const Clock& clock_;
    Workspace& workspace_;
    std::filesystem::path sourcePath_;
    std::filesystem::path destinationPath_;
    HistoryReadLimits limits_;
    std::shared_ptr<LoadState> loadState_;
    std::shared_ptr<std::atomic<bool>> abandoned_ = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<BackgroundQueue> loader_;
};

} // namespace glimmo
