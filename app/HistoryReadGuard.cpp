#include "app/HistoryReadGuard.h"

#include "app/SqliteHandles.h"
#include "platform/foundation/SaturatedCast.h"
#include "platform/runtime/ErrorValue.h"

#include <string>
#include <utility>

namespace glimmo {

namespace {
// Crosses threads as a value.
[[maybe_unused]] const bool taught = ErrorValue::teach<HistoryReadRefused>();

// How often SQLite asks whether to go on, in virtual machine instructions: a few microseconds apart.
constexpr int instructionsBetweenChecks = 1000;

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

HistoryReadGuard::HistoryReadGuard(sqlite3* database, const HistoryReadLimits& limits,
                                   const std::atomic<bool>* abandoned)
    : database_(database), limits_(limits), deadline_(std::chrono::steady_clock::now() + limits.time),
      abandoned_(abandoned) {
    sqlite3_limit(database_, SQLITE_LIMIT_LENGTH, saturatedCast<int>(static_cast<double>(limits_.valueBytes)));
    sqlite3_progress_handler(database_, instructionsBetweenChecks, &HistoryReadGuard::onProgress, this);
}

HistoryReadGuard::~HistoryReadGuard() {
    sqlite3_progress_handler(database_, 0, nullptr, nullptr);
}

int HistoryReadGuard::onProgress(void* guard) {
    auto& self = *static_cast<HistoryReadGuard*>(guard);
    self.expired_ = self.expired_ || std::chrono::steady_clock::now() >= self.deadline_;
    const bool abandoned = self.abandoned_ != nullptr && self.abandoned_->load(std::memory_order_relaxed);
    return self.expired_ || abandoned ? 1 : 0;
}

void HistoryReadGuard::throwIfStoppedByABound(int result) const {
    if (result == SQLITE_INTERRUPT && expired_) {
        throw HistoryReadRefused(HistoryReadRefused::Reason::tooSlow,
                                 "reading it took longer than " + timeText(limits_.time));
    }
    if (result == SQLITE_TOOBIG) {
        throw HistoryReadRefused(HistoryReadRefused::Reason::valueTooLarge,
                                 "it holds an address, a title or a row larger than " +
                                     std::to_string(limits_.valueBytes) + " bytes");
    }
}

void HistoryReadGuard::refuseWhatChromeDoesNotWrite() const {
    for (const char* table : {"urls", "visits"}) {
        // Names are compared as SQLite resolves them, without regard to ASCII case. Only a stored
        // table's columns are looked at: a virtual table's module would run to list them.
        const Statement kind = prepared(database_,
                                        "SELECT type, rootpage, CASE WHEN type = 'table' AND rootpage > 0 THEN "
                                        "(SELECT count(*) FROM pragma_table_xinfo(schema.name) "
                                        "WHERE hidden IN (2, 3)) END "
                                        "FROM sqlite_master AS schema "
                                        "WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE");
        sqlite3_bind_text(kind.get(), 1, table, -1, SQLITE_STATIC);
        const int result = sqlite3_step(kind.get());
        throwIfStoppedByABound(result);
        if (result != SQLITE_ROW && result != SQLITE_DONE) {
            throw sqliteError(database_, result);
        }
        const auto refuse = [table](const std::string& why) {
            throw HistoryReadRefused(HistoryReadRefused::Reason::notChromeSchema,
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

void HistoryReadGuard::refuseTooMuchText(std::int64_t cutoff) const {
    const Statement total = prepared(database_,
                                     "SELECT total(length(CAST(url AS BLOB))) + total(length(CAST(title AS BLOB))) "
                                     "FROM urls WHERE last_visit_time > ?");
    sqlite3_bind_int64(total.get(), 1, cutoff);
    const int result = sqlite3_step(total.get());
    throwIfStoppedByABound(result);
    if (result != SQLITE_ROW) {
        throw sqliteError(database_, result);
    }
    const double bytes = sqlite3_column_double(total.get(), 0);
    if (bytes > static_cast<double>(limits_.textBytes)) {
        throw HistoryReadRefused(HistoryReadRefused::Reason::tooMuchText,
                                 "its visits of the last 33 days hold " +
                                     std::to_string(saturatedCast<std::uint64_t>(bytes)) +
                                     " bytes of addresses and titles, more than the " +
                                     std::to_string(limits_.textBytes) + " read at most");
    }
}

} // namespace glimmo
