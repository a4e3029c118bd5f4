#include "app/ChromeHistoryReader.h"

#include "app/URLHost.h"

#include "app/TimeFormatting.h"
#include "platform/desktop/Workspace.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/RunLoop.h"

#include <sqlite3.h>

#include <cmath>
#include <mutex>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

std::mutex& gateMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<Date>& lastLoad() {
    static std::optional<Date> date;
    return date;
}

struct DatabaseCloser {
    void operator()(sqlite3* database) const { sqlite3_close(database); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

std::string errorMessage(sqlite3* database) {
    const char* message = database ? sqlite3_errmsg(database) : nullptr;
    return message ? message : "out of memory";
}

std::optional<std::string> columnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (!text) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::string cutURL(const std::string& url) {
    // A text of at most 100 bytes has at most 100 characters; only longer ones need counting.
    if (url.size() > 100 && graphemeCount(url) > 100) {
        return prefixGraphemes(url, 100) + "...";
    }
    return url;
}

} // namespace

ChromeHistoryReader::ChromeHistoryReader() : ChromeHistoryReader(RunLoop::main().clock(), Workspace::shared()) {}

ChromeHistoryReader::ChromeHistoryReader(const Clock& clock, Workspace& workspace,
                                         std::optional<fs::path> sourcePath, std::optional<fs::path> destinationPath)
    : clock_(clock), workspace_(workspace), sourcePath_(sourcePath ? *sourcePath : defaultSourcePath()),
      destinationPath_(destinationPath ? *destinationPath : fs::path()) {
    if (!destinationPath) {
        try {
            destinationPath_ = defaultDestinationPath();
        } catch (const std::exception&) {
            // The private temporary directory cannot be made now; the next load tries again and
            // reports why. The application must still start.
        }
    }
    systemLog("⭐️ history loaded started at " + mediumTimeString(clock_.now()));
}

fs::path ChromeHistoryReader::defaultSourcePath() {
    return homeDirectory() / ".config" / "google-chrome" / "Default" / "History";
}

fs::path ChromeHistoryReader::defaultDestinationPath() {
    return temporaryDirectory() / copyFileName;
}

std::optional<Date> ChromeHistoryReader::lastLoadTime() {
    const std::lock_guard lock(gateMutex());
    return lastLoad();
}

void ChromeHistoryReader::resetLastLoadTimeForTesting() {
    const std::lock_guard lock(gateMutex());
    lastLoad().reset();
}

bool ChromeHistoryReader::isChromeRunning() const {
    for (const RunningApplication& app : workspace_.runningApplications()) {
        const std::string id = lowercased(app.bundleIdentifier);
        if (id == "com.google.chrome" || id.rfind("google-chrome", 0) == 0) {
            return true;
        }
    }
    return false;
}

void ChromeHistoryReader::copyHistoryDatabase() {
    std::error_code error;
    if (!fs::exists(sourcePath_, error)) {
        printLine("❌ Chrome history database not found at: " + sourcePath_.string());
        throw Error("ChromeHistoryReader", 1, "Chrome history database not found");
    }
    if (isChromeRunning()) {
        printLine("⚠️ Chrome is running. This may prevent access to the history database.");
    }
    if (destinationPath_.empty()) {
        destinationPath_ = defaultDestinationPath();
    }
    if (fs::exists(destinationPath_, error)) {
        if (!fs::remove(destinationPath_, error)) {
            const FileError failure(destinationPath_, "remove", error.value());
            printLine(std::string("❌ Failed to remove existing temp database: ") + failure.what());
            throw failure;
        }
        printLine("✅ Removed existing temp database");
    }
    if (!fs::copy_file(sourcePath_, destinationPath_, error)) {
        const FileError failure(sourcePath_, "copy", error.value());
        printLine("❌ Failed to copy Chrome history database\nFrom: " + sourcePath_.string() +
                  "\nTo: " + destinationPath_.string() + "\nError: " + failure.what());
        throw failure;
    }
    fs::permissions(destinationPath_, fs::perms::owner_read | fs::perms::owner_write, error);
}

void ChromeHistoryReader::removeHistoryCopy() {
    std::error_code ignored;
    if (!destinationPath_.empty()) {
        fs::remove(destinationPath_, ignored);
    }
}

void ChromeHistoryReader::copyAndLoadHistory() {
    const Date now = clock_.now();
    if (const auto last = lastLoadTime(); last && now.timeIntervalSince(*last) < reloadInterval) {
        return;
    }

    try {
        copyHistoryDatabase();
    } catch (const std::exception& error) {
        systemLog(std::string("❌ Error in copyAndLoadHistory: ") + error.what());
        systemLog("--- Finished Chrome History Load ---\n");
        return;
    }

    sqlite3* rawDatabase = nullptr;
    const int opened = sqlite3_open_v2(destinationPath_.c_str(), &rawDatabase, SQLITE_OPEN_READONLY, nullptr);
    const Database database(rawDatabase);
    if (opened != SQLITE_OK) {
        systemLog("❌ Failed to open database: " + errorMessage(database.get()));
        return;
    }

    const std::int64_t cutoff =
        static_cast<std::int64_t>(std::trunc((now.unixTime() - historyWindow) * 1000000.0)) + chromeEpochOffset;

    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(database.get(), historyQuery, -1, &rawStatement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(rawStatement);
        systemLog("❌ Failed to prepare query: " + errorMessage(database.get()));
        return;
    }
    const Statement statement(rawStatement);
    if (sqlite3_bind_int64(statement.get(), 1, cutoff) != SQLITE_OK) {
        systemLog("❌ Failed to bind timestamp: " + errorMessage(database.get()));
        return;
    }

    std::vector<HistoryItem> items;
    for (;;) {
        const int step = sqlite3_step(statement.get());
        if (step == SQLITE_DONE) {
            break;
        }
        if (step != SQLITE_ROW) {
            // A half-read list would look like a quiet month; keep the previous one.
            systemLog("❌ Failed to read history rows: " + errorMessage(database.get()));
            return;
        }
        std::optional<std::string> url = columnText(statement.get(), 0);
        if (!url) {
            continue;
        }
        HistoryItem item;
        item.url = std::move(*url);
        item.title = columnText(statement.get(), 1).value_or("");
        item.visitCount = sqlite3_column_int(statement.get(), 2);
        const std::int64_t visitTime = sqlite3_column_int64(statement.get(), 3);
        item.lastVisit = Date::fromUnixTime(static_cast<double>(visitTime - chromeEpochOffset) / 1000000.0);
        items.push_back(std::move(item));
    }

    std::vector<std::string> searches = extractSearches(items);
    historyItems = std::move(items);
    googleSearches = std::move(searches);
    {
        const std::lock_guard lock(gateMutex());
        lastLoad() = clock_.now();
    }
    systemLog("--- Finished Chrome History Load ---\n");
}

std::vector<std::string> ChromeHistoryReader::extractSearches(const std::vector<HistoryItem>& items) {
    std::vector<std::string> searches;
    for (const HistoryItem& item : items) {
        const std::optional<URL> url = URL::parse(item.url);
        if (!url) {
            continue;
        }
        const std::optional<std::string> host = url->host();
        if (!host || host->find(searchEngineDomain) == std::string::npos) {
            continue;
        }
        for (const URLQueryItem& query : url->queryItems()) {
            if (query.name == "q") {
                if (query.value) {
                    searches.push_back(*query.value);
                }
                break;
            }
        }
    }
    return searches;
}

std::string ChromeHistoryReader::historySummary(const std::string& timeframe) const {
    const Date now = clock_.now();
    const Calendar calendar = Calendar::current();
    std::function<bool(Date)> passes;
    if (timeframe == "WEEK") {
        const Date since = calendar.addingDays(now, -7);
        passes = [since](Date visit) { return visit >= since; };
    } else if (timeframe == "MONTH") {
        const Date since = calendar.addingMonths(now, -1);
        passes = [since](Date visit) { return visit >= since; };
    } else {
        passes = [&calendar, now](Date visit) { return calendar.isDate(visit, now); };
    }
    std::string summary = "Recent Chrome Web Activity:\n---\n";
    bool first = true;
    for (const HistoryItem& item : historyItems.get()) {
        if (!passes(item.lastVisit)) {
            continue;
        }
        if (!first) {
            summary += "\n";
        }
        first = false;
        summary += timestampString(item.lastVisit) + ": " + item.title + " (" + cutURL(item.url) + ")";
    }
    return summary;
}

int ChromeHistoryReader::siteSwitchCount(Date from, Date to) const {
    std::string previous;
    int count = 0;
    for (const HistoryItem& item : historyItems.get()) {
        if (item.lastVisit < from || !(item.lastVisit < to)) {
            continue;
        }
        const std::optional<std::string> host = hostOfVisitedURL(item.url);
        if (!host) {
            continue;
        }
        if (*host != previous) {
            if (!previous.empty()) {
                ++count;
            }
            previous = *host;
        }
    }
    return count;
}

} // namespace glimmo
