#include "app/CommittedDatabaseCopy.h"

#include "app/SqliteHandles.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"

#include <cerrno>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// The log's header: magic, format, page size, checkpoint sequence, both salts and its checksum. A
// writer that starts the log again changes the sequence and the salts.
constexpr std::size_t logHeaderSize = 32;
// A writer that keeps changing the log through all of these copies gets no copy: the last one may
// be torn.
constexpr int copyAttempts = 4;

std::mutex& hookMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void()>& copyHook() {
    static std::function<void()> hook;
    return hook;
}

void runHook() {
    std::function<void()> hook;
    {
        const std::lock_guard lock(hookMutex());
        hook = copyHook();
    }
    if (hook) {
        hook();
    }
}

fs::path beside(const fs::path& database, const char* suffix) {
    return fs::path(database.string() + suffix);
}

// The log beside `database` as it is now; nullopt when there is none (or something that is not a
// regular file, which SQLite would not take for one either).
std::optional<FileStart> logState(const fs::path& database) {
    const fs::path log = beside(database, "-wal");
    std::error_code error;
    if (!fs::is_regular_file(log, error)) {
        return std::nullopt;
    }
    return readFileStart(log, logHeaderSize);
}

// The log copied beside `destination`, as copied, `maximumBytes` at most; nullopt when there was none to
// copy.
std::optional<FileStart> copyLog(const fs::path& source, const fs::path& destination,
                                 const std::function<void()>& beforeEachChunk, std::uintmax_t maximumBytes) {
    std::error_code error;
    if (!fs::is_regular_file(beside(source, "-wal"), error)) {
        return std::nullopt;
    }
    try {
        copyRegularFile(beside(source, "-wal"), beside(destination, "-wal"), beforeEachChunk, maximumBytes);
    } catch (const FileError& error) {
        if (error.errorNumber() == ENOENT) {
            return std::nullopt; // the writer closed the database, which ends its log
        }
        throw;
    }
    return readFileStart(beside(destination, "-wal"), logHeaderSize);
}

// Copies the log, then the database file; true when the log did not change meanwhile.
//
// Why this order gives a consistent copy: a checkpoint moves into the database file only frames that
// are in the log. If the log has the same header and has not grown once the database file is copied,
// every frame a checkpoint may have written during that copy is in our copy of the log, and replaying
// our log writes those pages again with the same content, whatever mix of old and new pages the
// database copy caught. If the log changed (a writer appended to it or started it again), a
// checkpoint may have written pages our log does not have, so the copy is made again.
bool copyOnce(const fs::path& source, const fs::path& destination, const DatabaseCopyBounds& bounds) {
    removeDatabaseFiles(destination);
    const std::optional<FileStart> copiedLog =
        copyLog(source, destination, bounds.beforeEachStep, bounds.maximumBytes / 2);
    runHook();
    const std::uintmax_t logBytes = copiedLog ? copiedLog->size : 0;
    copyRegularFile(source, destination, bounds.beforeEachStep, bounds.maximumBytes - 2 * logBytes);
    const std::optional<FileStart> logAfter = logState(source);
    if (!copiedLog || !logAfter) {
        return !copiedLog && !logAfter;
    }
    return logAfter->bytes == copiedLog->bytes && logAfter->size <= copiedLog->size;
}

bool headerSaysLogMode(const fs::path& database) {
    constexpr std::string_view magic("SQLite format 3\0", 16);
    const std::optional<FileStart> header = readFileStart(database, 20);
    return header && header->bytes.size() == 20 && header->bytes.starts_with(magic) &&
           (header->bytes[18] == 2 || header->bytes[19] == 2);
}

// Replays the copied log into the copy and leaves it in rollback-journal mode, so that a read-only
// open neither needs the log nor makes an index file for it. Only our copy is opened.
void leaveLogMode(const fs::path& destination, const DatabaseCopyBounds& bounds) {
    sqlite3* raw = nullptr;
    const int opened =
        sqlite3_open_v2(destination.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    const Database database(raw);
    const auto failure = [&](int code) {
        return Error("SQLite", code, database ? sqlite3_errmsg(database.get()) : sqlite3_errstr(code));
    };
    if (opened != SQLITE_OK) {
        throw failure(opened);
    }
    if (bounds.beforeConversion) {
        std::error_code noLog;
        const std::uintmax_t logBytes = fs::file_size(beside(destination, "-wal"), noLog);
        bounds.beforeConversion(database.get(), noLog ? 0 : logBytes);
    }
    // Exclusive from the start: the log's index is then kept in memory, not in a "-shm" file. The
    // copy is thrown away on any failure, so it is never synced.
    std::string mode;
    const int changed = sqlite3_exec(
        database.get(), "PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=OFF; PRAGMA journal_mode=DELETE;",
        [](void* result, int columns, char** values, char**) {
            if (columns == 1 && values[0]) {
                *static_cast<std::string*>(result) = values[0];
            }
            return 0;
        },
        &mode, nullptr);
    if (changed != SQLITE_OK) {
        throw failure(changed);
    }
    if (mode != "delete") {
        throw Error("SQLite", SQLITE_ERROR, "the copy stays in journal mode " + mode);
    }
}

} // namespace

void removeDatabaseFiles(const fs::path& database) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        std::error_code ignored;
        fs::remove(beside(database, suffix), ignored);
    }
}

void setCommittedDatabaseCopyHookForTesting(std::function<void()> hook) {
    const std::lock_guard lock(hookMutex());
    copyHook() = std::move(hook);
}

std::uintmax_t committedDatabaseCopyBytes(const fs::path& source) {
    std::error_code noFile;
    const std::uintmax_t database = fs::file_size(source, noFile);
    if (noFile) {
        return 0;
    }
    const std::uintmax_t log = logState(source).value_or(FileStart{}).size;
    constexpr std::uintmax_t most = std::numeric_limits<std::uintmax_t>::max();
    return log > (most - database) / 2 ? most : database + 2 * log;
}

void copyCommittedDatabase(const fs::path& source, const fs::path& destination, const DatabaseCopyBounds& bounds) {
    int attempt = 1;
    while (!copyOnce(source, destination, bounds)) {
        if (attempt == copyAttempts) {
            throw Error("SQLite", SQLITE_BUSY,
                        "the database's log changed during each of " + std::to_string(copyAttempts) +
                            " copies, so none of them is known to be whole");
        }
        ++attempt;
    }
    if (headerSaysLogMode(destination)) {
        if (bounds.beforeEachStep) {
            bounds.beforeEachStep();
        }
        leaveLogMode(destination, bounds);
    }
    // A log beside a copy in rollback mode would be ignored by SQLite; it goes all the same.
    std::error_code ignored;
    fs::remove(beside(destination, "-wal"), ignored);
}

} // namespace glimmo
