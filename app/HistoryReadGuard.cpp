#include "app/HistoryReadGuard.h"

#include "app/SqliteHandles.h"
#include "platform/foundation/SaturatedCast.h"

#include <algorithm>
#include <string>
#include <utility>

namespace glimmo {

namespace {
using Reason = HistoryReadRefused::Reason;

// How often SQLite asks whether to go on, in virtual machine instructions: a microsecond or so apart,
// and a few rows of the schema while it is parsed.
constexpr int instructionsBetweenChecks = 100;
// Chrome's own schema statements are under a few KiB. One longer than this makes the schema unreadable,
// so that the parse of a schema grows by a bounded step between two looks at its memory.
constexpr int longestSchemaStatement = 64 << 10;

Error sqliteError(sqlite3* database, int result) {
    return Error("SQLite", result, sqlite3_errmsg(database));
}

Statement prepared(sqlite3* database, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare_v2(database, sql.c_str(), -1, &raw, nullptr);
    Statement statement(raw);
    if (result != SQLITE_OK) {
        throw sqliteError(database, result);
    }
    return statement;
}

std::string timeText(std::chrono::milliseconds time) {
    return time.count() % 1000 == 0 ? std::to_string(time.count() / 1000) + " s"
                                    : std::to_string(time.count()) + " ms";
}

} // namespace

HistoryReadRefused::HistoryReadRefused(Reason reason, std::string description)
    : Error("ChromeHistoryReader", static_cast<int>(reason), std::move(description)) {}

HistoryReadGuard::HistoryReadGuard(const HistoryReadLimits& limits, const std::atomic<bool>* abandoned)
    : limits_(limits), deadline_(std::chrono::steady_clock::now() + limits.time),
      memoryCeiling_(saturatedCast<std::int64_t>(static_cast<double>(sqlite3_memory_used()) +
                                                 static_cast<double>(limits.memoryBytes))),
      abandoned_(abandoned) {}

void HistoryReadGuard::bound(sqlite3* database) {
    // Each value SQLite reads or makes (an address, a title) and each schema statement. No statement of a
    // load sorts: the newest visits are picked as the rows stream past (NewestRows), so SQLite builds no
    // sorted row and writes no temporary file.
    sqlite3_limit(database, SQLITE_LIMIT_LENGTH, saturatedCast<int>(static_cast<double>(limits_.valueBytes)));
    sqlite3_limit(database, SQLITE_LIMIT_SQL_LENGTH, longestSchemaStatement);
    sqlite3_progress_handler(database, instructionsBetweenChecks, &HistoryReadGuard::onProgress, this);
}

int HistoryReadGuard::onProgress(void* guard) {
    return static_cast<HistoryReadGuard*>(guard)->stopped() ? 1 : 0;
}

bool HistoryReadGuard::stopped() {
    if (!stop_) {
        if (abandoned_ != nullptr && abandoned_->load(std::memory_order_relaxed)) {
            stop_.emplace(Reason::abandoned, "its reader went away");
        } else if (std::chrono::steady_clock::now() >= deadline_) {
            stop_.emplace(Reason::tooSlow, "reading it took longer than " + timeText(limits_.time));
        } else if (sqlite3_memory_used() > memoryCeiling_) {
            stop_.emplace(Reason::tooMuchMemory,
                          "reading it took more than " + std::to_string(limits_.memoryBytes) + " bytes of memory");
        }
    }
    return stop_.has_value();
}

void HistoryReadGuard::throwIfStopped() {
    if (stopped()) {
        throw *stop_;
    }
}

void HistoryReadGuard::throwIfStoppedByABound(int result) const {
    if (result == SQLITE_INTERRUPT && stop_) {
        throw *stop_;
    }
    if (result == SQLITE_TOOBIG) {
        throw HistoryReadRefused(Reason::valueTooLarge, "it holds an address, a title or a row larger than " +
                                                            std::to_string(limits_.valueBytes) + " bytes");
    }
}

std::uint64_t HistoryReadGuard::roomToCopy(std::uint64_t bytes, std::uint64_t availableBytes) const {
    if (bytes > limits_.copyBytes) {
        throw HistoryReadRefused(Reason::tooLargeToCopy, "copying it takes " + std::to_string(bytes) +
                                                             " bytes, more than the " +
                                                             std::to_string(limits_.copyBytes) + " copied at most");
    }
    const std::uint64_t room = availableBytes > limits_.spareBytes ? availableBytes - limits_.spareBytes : 0;
    if (bytes > room) {
        throw HistoryReadRefused(Reason::noRoomToCopy, "copying it takes " + std::to_string(bytes) +
                                                           " bytes, more than the " + std::to_string(room) +
                                                           " free in the data folder beyond the " +
                                                           std::to_string(limits_.spareBytes) + " kept free");
    }
    return std::min(room, limits_.copyBytes);
}

void HistoryReadGuard::refuseLongLog(std::uintmax_t bytes) const {
    if (bytes > limits_.logBytes) {
        throw HistoryReadRefused(Reason::logTooLarge, "its write-ahead log holds " + std::to_string(bytes) +
                                                          " bytes, more than the " + std::to_string(limits_.logBytes) +
                                                          " replayed at most");
    }
}

void HistoryReadGuard::refuseWhatChromeDoesNotWrite(sqlite3* database) const {
    for (const char* table : {"urls", "visits"}) {
        // Names are compared as SQLite resolves them, without regard to ASCII case. Only a stored
        // table's columns are looked at: a virtual table's module would run to list them.
        const Statement kind = prepared(database,
                                        "SELECT type, rootpage, CASE WHEN type = 'table' AND rootpage > 0 THEN "
                                        "(SELECT count(*) FROM pragma_table_xinfo(schema.name) "
                                        "WHERE hidden IN (2, 3)) END "
                                        "FROM sqlite_master AS schema "
                                        "WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE");
        sqlite3_bind_text(kind.get(), 1, table, -1, SQLITE_STATIC);
        const int result = sqlite3_step(kind.get());
        throwIfStoppedByABound(result);
        if (result != SQLITE_ROW && result != SQLITE_DONE) {
            throw sqliteError(database, result);
        }
        const auto refuse = [table](const std::string& why) {
            throw HistoryReadRefused(Reason::notChromeSchema,
                                     "\"" + std::string(table) + "\" " + why + ": only Chrome's own tables are read");
        };
        if (result == SQLITE_DONE) {
            refuse("is missing");
        }
        const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(kind.get(), 0));
        if (type != "table") {
            refuse("is a " + type + ", not a table");
        }
        if (sqlite3_column_int64(kind.get(), 1) <= 0) {
            refuse("is a virtual table");
        }
        if (sqlite3_column_int64(kind.get(), 2) > 0) {
            refuse("has generated columns");
        }
    }
}

void HistoryReadGuard::countText(std::uint64_t bytes) {
    text_ += bytes;
    if (text_ > limits_.textBytes) {
        throw HistoryReadRefused(Reason::tooMuchText, "its visits of the last 33 days hold more than the " +
                                                          std::to_string(limits_.textBytes) +
                                                          " bytes of addresses and titles read at most");
    }
}

} // namespace glimmo
