#pragma once

// A private copy of an SQLite database that another process keeps open and writes: what it has
// committed, its write-ahead log included, taken by copying files, so that no lock the writer holds
// (an exclusive locking mode included) stands in the way and nothing is written beside its files.

#include <cstdint>
#include <filesystem>
#include <functional>

struct sqlite3;

namespace glimmo {

// What bounds a copy. `beforeEachStep` runs before each chunk of the files copied and before the copy
// is converted; what it throws ends the copy. `beforeConversion` is given the connection that makes
// the copy a rollback-journal database, before that runs a statement, and the bytes of the log it is
// to replay: to bound what the connection runs, or to throw and end the copy. `maximumBytes` is what the
// copy may take on the disk at its largest: the database file and its log, the log counted twice, since
// replaying it writes its pages into the copy of the database.
struct DatabaseCopyBounds {
    std::function<void()> beforeEachStep;
    std::function<void(sqlite3* connection, std::uintmax_t logBytes)> beforeConversion;
    std::uintmax_t maximumBytes = UINTMAX_MAX;
};

// What copying the database at `source` as it is now takes at most, by the measure of `maximumBytes`.
std::uintmax_t committedDatabaseCopyBytes(const std::filesystem::path& source);

// Copies the database at `source` (with "<source>-wal" when that is a regular file) into
// `destination` and makes the copy a rollback-journal database that leaves no side files when it is
// read. What is at `destination` or beside it is replaced. Throws what `bounds` throw, and Error
// (FileError for the files, EFBIG for files that grew past `bounds.maximumBytes` as they were copied;
// domain "SQLite" for the copy's log replay and for a writer that changed the log during every attempt,
// whose copy may be torn); the caller removes what a failure left (removeDatabaseFiles).
void copyCommittedDatabase(const std::filesystem::path& source, const std::filesystem::path& destination,
                           const DatabaseCopyBounds& bounds = {});

// Removes the database file and the side files SQLite keeps beside it, those that are there.
void removeDatabaseFiles(const std::filesystem::path& database);

// Tests only: called after the log was copied and before the database file is; a writer that commits
// there is one that wrote during the copy. Empty to remove.
void setCommittedDatabaseCopyHookForTesting(std::function<void()> hook);

} // namespace glimmo
