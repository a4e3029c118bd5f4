#include "app/ChromeHistoryReaderLoad.h"

#include "app/ChromeHistoryReaderNewestRows.h"
#include "app/CommittedDatabaseCopy.h"
#include "app/HistoryReadGuard.h"
#include "app/SqliteHandles.h"
#include "app/URLHost.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileSystemSpace.h"

#include <sqlite3.h>

#include <cmath>
#include <future>
#include <iterator>
#include <memory>
#include <span>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

std::string errorMessage(sqlite3* database) {
    const char* message = database ? sqlite3_errmsg(database) : nullptr;
    return message ? message : "out of memory";
}

std::string columnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (!text) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The rows of the window as they lie in the table, which historyQuery gives sorted and cut: they are
// picked here (NewestRows) as the table's rows stream past once. Never through an index,
// which may hold other values than its table and another order of rows of one time.
constexpr const char* windowQuery =
    "SELECT url, title, visit_count, last_visit_time FROM urls NOT INDEXED WHERE last_visit_time > ?";

} // namespace

std::string ChromeHistoryReader::historyQuery(std::size_t rows) {
    return "    SELECT url, title, visit_count, last_visit_time \n"
           "    FROM urls \n"
           "    WHERE last_visit_time > ? \n"
           "    ORDER BY last_visit_time DESC \n"
           "    LIMIT " + std::to_string(rows) + ";";
}

namespace {

HistorySourceIdentity identityOf(const fs::path& source) {
    return {fileIdentity(source), fileIdentity(source.string() + "-wal")};
}

// Replaces the working copy with what the browser's History database holds. Throws
// HistoryReadRefused when a bound of the load stopped it, Error or FileError. A History whose copy
// failed is left alone, like one refused, until it changes from `found`: a failure such as a full disk
// would come again with every load.
void copyHistoryDatabase(const HistoryLoadRequest& request, const HistorySourceIdentity& found,
                         HistoryReadGuard& guard, HistoryLoadOutcome& outcome) {
    const auto print = [&outcome](std::string text) { outcome.lines.push_back({true, std::move(text)}); };
    std::error_code error;
    // Looked at before anything opens it: opening a FIFO waits for a writer, and a device such as
    // /dev/zero never ends.
    const fs::file_status sourceStatus = fs::status(request.source, error);
    if (!fs::exists(sourceStatus)) {
        print("❌ Chrome history database not found at: " + request.source.string());
        throw Error("ChromeHistoryReader", 1, "Chrome history database not found");
    }
    if (request.chromeRunning) {
        print("⚠️ Chrome is running. This may prevent access to the history database.");
    }
    const fs::path& destination = request.destination;
    const auto copyFailed = [&](const std::exception& failure) {
        outcome.refused = found;
        print("❌ Failed to copy Chrome history database\nFrom: " + request.source.string() +
              "\nTo: " + destination.string() + "\nError: " + failure.what());
    };
    if (!fs::is_regular_file(sourceStatus)) {
        const Error failure("ChromeHistoryReader", 2, "Chrome history database is not a regular file");
        copyFailed(failure);
        throw failure;
    }
    if (fs::create_directories(destination.parent_path(), error); error) {
        throw FileError(destination.parent_path(), "create directory", error.value());
    }
    if (fs::exists(destination, error)) {
        if (!fs::remove(destination, error)) {
            const FileError failure(destination, "remove", error.value());
            print(std::string("❌ Failed to remove existing temp database: ") + failure.what());
            throw failure;
        }
        print("✅ Removed existing temp database");
    }
    DatabaseCopyBounds bounds{
        [&guard] { guard.throwIfStopped(); },
        [&guard](sqlite3* connection, std::uintmax_t logBytes) {
            guard.refuseLongLog(logBytes);
            guard.bound(connection);
        },
    };
    try {
        // Looked at once the old copy is gone, whose room the new one takes.
        bounds.maximumBytes =
            guard.roomToCopy(committedDatabaseCopyBytes(request.source), availableBytes(destination.parent_path()));
        copyCommittedDatabase(request.source, destination, bounds);
    } catch (const HistoryReadRefused&) {
        removeDatabaseFiles(destination);
        throw;
    } catch (const Error& failure) {
        removeDatabaseFiles(destination);
        guard.throwIfStopped(); // a step the guard stopped fails for that bound, not as a copy
        copyFailed(failure);
        throw;
    }
}

// The visits of historyQuery, from the rows of the prepared windowQuery. Throws Error (HistoryReadRefused
// when a bound stopped the read).
std::vector<HistoryItem> readVisits(sqlite3_stmt* statement, std::size_t rows, HistoryReadGuard& guard) {
    // A row without an address takes its place among the newest, as in the query, and is left out after.
    NewestRows<HistoryItem> newest(rows);
    for (;;) {
        const int step = sqlite3_step(statement);
        if (step == SQLITE_DONE) {
            break;
        }
        if (step != SQLITE_ROW) {
            guard.throwIfStoppedByABound(step);
            throw Error("SQLite", step, errorMessage(sqlite3_db_handle(statement)));
        }
        const bool hasURL = sqlite3_column_type(statement, 0) != SQLITE_NULL;
        guard.countText(static_cast<std::uint64_t>(sqlite3_column_bytes(statement, 0)) +
                        static_cast<std::uint64_t>(sqlite3_column_bytes(statement, 1)));
        const std::int64_t visitTime = sqlite3_column_int64(statement, 3);
        if (!newest.admits(visitTime)) {
            continue;
        }
        if (!hasURL) {
            newest.add(visitTime, std::nullopt);
            continue;
        }
        HistoryItem item;
        item.url = columnText(statement, 0);
        item.host = hostOfVisitedURL(item.url); // while the address is at hand: the rows are not in order
        item.title = columnText(statement, 1); // NULL reads as empty
        item.visitCount = sqlite3_column_int(statement, 2);
        item.lastVisit =
            Date::fromUnixTime(static_cast<double>(visitTime - ChromeHistoryReader::chromeEpochOffset) / 1000000.0);
        newest.add(visitTime, std::move(item));
    }
    guard.throwIfStopped();
    return newest.take();
}

// The search terms of a large history in two halves at once: it can hold tens of thousands of
// search pages, each parsed.
std::vector<std::string> searchesOf(const std::vector<HistoryItem>& items) {
    constexpr std::size_t worthASecondThread = 50000;
    const std::span<const HistoryItem> all(items);
    if (all.size() < worthASecondThread) {
        return ChromeHistoryReader::extractSearches(all);
    }
    const std::size_t half = all.size() / 2;
    auto newer = std::async(std::launch::async, [all, half] { return ChromeHistoryReader::extractSearches(all.first(half)); });
    std::vector<std::string> older = ChromeHistoryReader::extractSearches(all.subspan(half));
    std::vector<std::string> searches = newer.get();
    searches.insert(searches.end(), std::make_move_iterator(older.begin()), std::make_move_iterator(older.end()));
    return searches;
}

// Whether the working copy was made; a failure is said in the outcome's lines. Throws
// HistoryReadRefused when a bound of the load stopped the copy.
bool copiedForReading(const HistoryLoadRequest& request, const HistorySourceIdentity& found, HistoryReadGuard& guard,
                      HistoryLoadOutcome& outcome) {
    try {
        copyHistoryDatabase(request, found, guard, outcome);
        return true;
    } catch (const HistoryReadRefused&) {
        throw;
    } catch (const std::exception& error) {
        outcome.lines.push_back({false, std::string("❌ Error in copyAndLoadHistory: ") + error.what()});
        outcome.lines.push_back({false, "--- Finished Chrome History Load ---\n"});
        return false;
    }
}

// The visits of the working copy, or nullopt when SQLite could not open it, prepare the query or bind
// its bound (the line is logged). Throws HistoryReadRefused, or Error when reading a row failed.
std::optional<std::vector<HistoryItem>> readHistoryCopy(const HistoryLoadRequest& request, HistoryReadGuard& guard,
                                                        HistoryLoadOutcome& outcome) {
    const auto log = [&outcome](std::string text) { outcome.lines.push_back({false, std::move(text)}); };
    sqlite3* rawDatabase = nullptr;
    const int opened = sqlite3_open_v2(request.destination.c_str(), &rawDatabase,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const Database database(rawDatabase);
    if (opened != SQLITE_OK) {
        log("❌ Failed to open database: " + errorMessage(database.get()));
        return std::nullopt;
    }
    guard.bound(database.get()); // before the schema is parsed

    const std::int64_t cutoff = static_cast<std::int64_t>(std::trunc(
                                    (request.now.unixTime() - ChromeHistoryReader::historyWindow) * 1000000.0)) +
                                ChromeHistoryReader::chromeEpochOffset;
    sqlite3_stmt* rawStatement = nullptr;
    const int prepared = sqlite3_prepare_v2(database.get(), windowQuery, -1, &rawStatement, nullptr);
    const Statement statement(rawStatement);
    if (prepared != SQLITE_OK) {
        guard.throwIfStoppedByABound(prepared);
        log("❌ Failed to prepare query: " + errorMessage(database.get()));
        return std::nullopt;
    }
    guard.refuseWhatChromeDoesNotWrite(database.get());
    if (sqlite3_bind_int64(statement.get(), 1, cutoff) != SQLITE_OK) {
        log("❌ Failed to bind timestamp: " + errorMessage(database.get()));
        return std::nullopt;
    }
    return readVisits(statement.get(), request.limits.rows, guard);
}

} // namespace

HistoryLoadOutcome loadHistoryCopy(const HistoryLoadRequest& request) {
    HistoryLoadOutcome outcome;
    const auto log = [&outcome](std::string text) { outcome.lines.push_back({false, std::move(text)}); };
    const HistorySourceIdentity source = identityOf(request.source);
    if (request.refused == source) {
        outcome.refused = source; // said once, when it was refused
        return outcome;
    }
    HistoryReadGuard guard(request.limits, request.abandoned.get());
    try {
        if (!copiedForReading(request, source, guard, outcome)) {
            return outcome;
        }
        if (std::optional<std::vector<HistoryItem>> items = readHistoryCopy(request, guard, outcome)) {
            outcome.searches = searchesOf(*items);
            outcome.items = std::move(items);
        }
    } catch (const HistoryReadRefused& refused) {
        log(std::string("❌ Chrome history not read: ") + refused.what());
        if (refused.reason() != HistoryReadRefused::Reason::abandoned) {
            outcome.refused = source;
        }
    } catch (const Error& failed) {
        // A half-read list would look like a quiet month; keep the previous one.
        log(std::string("❌ Failed to read history rows: ") + failed.what());
    }
    return outcome;
}

} // namespace glimmo
