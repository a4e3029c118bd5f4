#pragma once

// What a read of the history copy trusts: only the tables Chrome writes, and no more time and memory
// than HistoryReadLimits allows. A History file is input from outside (anything may sit in the
// profile folder), and SQLite does whatever its schema says, so the file's schema is looked at and
// the read is bounded before a row is read.

#include "app/ChromeHistoryReader.h"
#include "platform/foundation/Error.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

struct sqlite3;

namespace glimmo {

// Why a history was not read: a file that is not what Chrome writes, or a read past its limits.
class HistoryReadRefused : public Error {
public:
    enum class Reason { notChromeSchema = 3, tooSlow, valueTooLarge, tooMuchText };

    HistoryReadRefused(Reason reason, std::string description);
    Reason reason() const { return static_cast<Reason>(code()); }
};

// Bounds what runs on `database` from its construction on: each value and each sorted row to
// `limits.valueBytes` (SQLite's own length limit on the connection) and all of it together to
// `limits.time` (a progress handler with a deadline), which also stops it once `abandoned` is set.
// Lives no longer than the connection.
class HistoryReadGuard {
public:
    HistoryReadGuard(sqlite3* database, const HistoryReadLimits& limits,
                     const std::atomic<bool>* abandoned = nullptr);
    ~HistoryReadGuard();
    HistoryReadGuard(const HistoryReadGuard&) = delete;
    HistoryReadGuard& operator=(const HistoryReadGuard&) = delete;

    // Throws HistoryReadRefused when a step that ended with `result` was stopped by a bound.
    void throwIfStoppedByABound(int result) const;

    // Throws HistoryReadRefused unless `urls` and `visits` are ordinary tables without computed
    // columns: a view, a virtual table or a generated column runs whatever the file says when read.
    void refuseWhatChromeDoesNotWrite() const;

    // Throws HistoryReadRefused when the visits after `cutoff` hold more than `limits.textBytes` of
    // addresses and titles; counted as they stream past, before the query sorts them in memory.
    void refuseTooMuchText(std::int64_t cutoff) const;

private:
    static int onProgress(void* guard);

    sqlite3* database_;
    HistoryReadLimits limits_;
    std::chrono::steady_clock::time_point deadline_;
    const std::atomic<bool>* abandoned_;
    bool expired_ = false;
};

} // namespace glimmo
