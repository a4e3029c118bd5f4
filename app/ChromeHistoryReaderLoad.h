#pragma once

// One load of the browser history: the copy of the History file and the query on the copy. Runs on
// the reader's loader thread; touches no application state and logs nothing itself, so the main
// loop can publish the lists and write the lines in the order a load has always shown them.

#include "app/ChromeHistoryReader.h"
#include "platform/foundation/FileIdentity.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

// The browser's History file and its log as a load found them: one refused, or whose copy failed, is not
// copied and read again until either changes.
struct HistorySourceIdentity {
    std::optional<FileIdentity> database;
    std::optional<FileIdentity> log;

    bool operator==(const HistorySourceIdentity&) const = default;
};

struct HistoryLoadRequest {
    std::filesystem::path source;
    std::filesystem::path destination; // its folder is made when missing
    bool chromeRunning = false;
    Date now;
    HistoryReadLimits limits;
    // Set when the reader goes: the load stops at its next check rather than holding the quit.
    std::shared_ptr<const std::atomic<bool>> abandoned;
    // The source as it was when an earlier load refused it.
    std::optional<HistorySourceIdentity> refused;
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
    // The source as this load found it, when it refused it or failed to copy it (or left it, refused
    // before and unchanged).
    std::optional<HistorySourceIdentity> refused;
};

HistoryLoadOutcome loadHistoryCopy(const HistoryLoadRequest& request);

} // namespace glimmo
