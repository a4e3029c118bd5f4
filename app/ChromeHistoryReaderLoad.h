#pragma once

// One load of the browser history: the copy of the History file and the query on the copy. Runs on
// the reader's loader thread; touches no application state and logs nothing itself, so the main
// loop can publish the lists and write the lines in the order a load has always shown them.

#include "app/ChromeHistoryReader.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

struct HistoryLoadRequest {
    std::filesystem::path source;
    std::filesystem::path destination; // its folder is made when missing
    bool chromeRunning = false;
    Date now;
    HistoryReadLimits limits;
    // Set when the reader goes: the read stops at its next check rather than holding the quit.
    std::shared_ptr<const std::atomic<bool>> abandoned;
};

struct HistoryLoadOutcome {
    struct Line {
        bool toStandardOutput = false; // printLine rather than systemLog
        std::string text;
    };

    // The visits, newest first, and their search terms; nullopt when the load failed.
    std::optional<std::vector<HistoryItem>> items;
    std::vector<std::string> searches;
    // What the load has to say, in order; the closing line of a successful load is not among them.
    std::vector<Line> lines;
};

HistoryLoadOutcome loadHistoryCopy(const HistoryLoadRequest& request);

} // namespace glimmo
