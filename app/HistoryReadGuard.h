#pragma once

// What a load of the history trusts: only the tables Chrome writes, and no more time and memory
// than HistoryReadLimits allows. A History file is input from outside (anything may sit in the
// profile folder), and SQLite does whatever its schema says, so every connection of a load is bounded
// before it runs its first statement, and the file's schema is looked at before a row is read.

#include "app/ChromeHistoryReader.h"
#include "platform/foundation/Error.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;

namespace glimmo {

// Why a history was not read: a file that is not what Chrome writes, a load past its limits, or a
// reader that went.
class HistoryReadRefused : public Error {
public:
    enum class Reason {
        notChromeSchema = 3,
        tooSlow,
        valueTooLarge,
        tooMuchText,
        tooMuchMemory,
        logTooLarge,
        abandoned,
        tooLargeToCopy,
        noRoomToCopy,
    };

    HistoryReadRefused(Reason reason, std::string description);
    Reason reason() const { return static_cast<Reason>(code()); }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

// The bounds of one load, from the copy to the last row: its time counts from the guard's
// construction, its memory is what SQLite holds beyond what it held then (SQLite counts its memory
// for the whole process, and the loads are its only user), and it stops once `abandoned` is set.
// Lives longer than the connections it bounds. Used on one thread.
class HistoryReadGuard {
public:
    explicit HistoryReadGuard(const HistoryReadLimits& limits, const std::atomic<bool>* abandoned = nullptr);
    HistoryReadGuard(const HistoryReadGuard&) = delete;
    HistoryReadGuard& operator=(const HistoryReadGuard&) = delete;

    // Bounds what runs on `database` from now on, the parse of its schema included: each value read and
    // each schema statement (SQLite's length limits on the connection), and the time, memory and
    // abandonment of the load (a progress handler). Runs no statement.
    void bound(sqlite3* database);

    // Throws HistoryReadRefused once the load is past its time or memory or was abandoned: between
    // steps that SQLite does not run, such as the chunks of a copy.
    void throwIfStopped();
    // Throws HistoryReadRefused when a step that ended with `result` was stopped by a bound.
    void throwIfStoppedByABound(int result) const;

    // The bytes a copy that takes `bytes` may write into a folder with `availableBytes` free: no more than
    // `limits.copyBytes`, and leaving `limits.spareBytes` free. Throws HistoryReadRefused when `bytes`
    // are more.
    std::uint64_t roomToCopy(std::uint64_t bytes, std::uint64_t availableBytes) const;

    // Throws HistoryReadRefused when a log of `bytes` is more than the load replays: SQLite replays a
    // log in one step that nothing interrupts.
    void refuseLongLog(std::uintmax_t bytes) const;

    // Throws HistoryReadRefused unless `urls` and `visits` are ordinary tables without computed
    // columns: a view, a virtual table or a generated column runs whatever the file says when read.
    void refuseWhatChromeDoesNotWrite(sqlite3* database) const;

    // Counts the addresses and titles of the visits read; throws HistoryReadRefused once they are more
    // than `limits.textBytes`.
    void countText(std::uint64_t bytes);

private:
    static int onProgress(void* guard);
    // Whether a bound stopped the load, looked at now; once stopped, it stays so.
    bool stopped();

    HistoryReadLimits limits_;
    std::chrono::steady_clock::time_point deadline_;
    std::int64_t memoryCeiling_;
    const std::atomic<bool>* abandoned_;
    std::optional<HistoryReadRefused> stop_; // why it stopped
    std::uint64_t text_ = 0;
};

} // namespace glimmo
