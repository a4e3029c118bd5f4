#pragma once

#include "app/ActivityRecord.h"
#include "platform/foundation/Files.h"

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace glimmo {

class Calendar;

// The time the records of one day file cover: the earliest start and the latest end (start plus
// duration) among them.
struct ArchivedDaySpan {
    Date earliestStart;
    Date latestEnd;
    bool operator==(const ArchivedDaySpan&) const = default;
};

// The records older than the record file's live days, one file per local calendar day in the record
// file's own format ("2026-12-07.json": a pretty JSON array, newest first, the same keys), in a folder
// beside the record file, with a small index of each day's span ("index.json") so that a window reads
// only the days it overlaps. The index is widened before a day file is written, so an interrupted write
// leaves it too wide, never too narrow; a missing or unreadable one is rebuilt from the day files.
// Every file is written atomically, and only inside the folder: a symbolic link, a folder, a FIFO or any
// other entry that is not a regular file where a day file or the index belongs is moved aside (logged),
// never read or written through. Thread-safe: the record file's writer adds and removes, the merges of
// reports read.
class ActivityRecordArchive {
public:
    static constexpr const char* indexFileName = "index.json";
    // The copies of the record file set aside that could not be read to their end: never converted again.
    static constexpr const char* damagedCopiesFileName = "damaged copies.json";

    // A change on its way (records leaving memory for the archive, a conversion, a clear): readers wait
    // until every one has settled. It settles when it is destroyed, however its work ends, so a change
    // dropped from a queue cannot keep a reader waiting.
    class PendingChange {
    public:
        PendingChange() = default;
        PendingChange(PendingChange&& other) noexcept = default;
        PendingChange& operator=(PendingChange&& other) noexcept;
        ~PendingChange();

    private:
        friend class ActivityRecordArchive;
        struct Count;
        explicit PendingChange(std::shared_ptr<Count> count) : count_(std::move(count)) {}
        std::shared_ptr<Count> count_;
    };

    // Asked between two day files; true stops the work there, leaving what was written.
    using StopRequest = std::function<bool()>;

    struct Added {
        std::set<std::string> written; // the days whose files were written
        bool complete = true;          // false when `stop` ended it early
    };

    explicit ActivityRecordArchive(std::filesystem::path folder);
    ActivityRecordArchive(const ActivityRecordArchive&) = delete;
    ActivityRecordArchive& operator=(const ActivityRecordArchive&) = delete;

    // "<record file name without .json> days", beside it: named after the file it belongs to, so a
    // record file elsewhere has an archive of its own.
    static std::filesystem::path folderBeside(const std::filesystem::path& recordFile);
    // "yyyy-MM-dd" of the local calendar day `date` falls on.
    static std::string dayName(Date date);
    static std::string dayName(Date date, const Calendar& calendar);

    const std::filesystem::path& folder() const { return folder_; }

    // Adds each record to the file of its day, merging by id with what the file holds (the record given
    // wins), so a repeat after an interruption is harmless. A record that an earlier add filed under
    // another day (in another time zone) leaves that day's file, so each id is held by one day. Throws
    // when a file cannot be written; the days written before stay written. Unflushed writes are for a
    // caller that flushes the file system itself before it relies on them.
    Added add(const std::vector<ActivityRecordValue>& records, WriteDurability durability = WriteDurability::durable,
              const StopRequest& stop = {});
    // Whether an entry of the folder with this name is one of the archive's own files: a day file, the
    // index, the note of damaged copies, a copy set aside or a temporary file. Never a folder.
    static bool isOwnFileName(const std::string& name);
    // The archive's own files as they are now.
    std::vector<std::filesystem::path> ownFiles() const;
    // Deletes every file of the archive (ownFiles) and the folder when nothing else is left in it. Gives
    // the files that could not be removed (logged): the days among them are left out (leaveOut).
    std::vector<std::filesystem::path> removeAll();
    // Days whose files hold cleared records that could not be removed: read as empty, and an add that has
    // records for one of them throws (its records stay where they are), since its file goes at the next
    // start.
    void leaveOut(const std::set<std::string>& days);
    // The days that have a file.
    std::set<std::string> daysOnDisk() const;
    // Deletes the files of `days` (the days a failed conversion created, whose records are all still in
    // the record file); failures are logged.
    void removeDays(const std::set<std::string>& days);
    [[nodiscard]] PendingChange expectChange();

    // The archived records that lie in [start, end] or touch it, newest first, each id once, once every
    // pending change has settled. A day file that cannot be read is set aside (logged) and the others still
    // read.
    std::vector<ActivityRecordValue> recordsWithin(Date start, Date end) const;

private:
    using Index = std::map<std::string, ArchivedDaySpan>;

    std::filesystem::path dayFile(const std::string& day) const;
    void loadIndexIfNeeded() const;
    void writeIndex(const Index& index, WriteDurability durability = WriteDurability::durable) const;
    // Moves aside whatever is at `path` that is not a regular file. Throws when it cannot be moved.
    void setAsideUnlessRegularFile(const std::filesystem::path& path) const;
    // The day's records; empty when it has no file, is left out, or its file was unreadable and set aside.
    // Throws when the file can be neither read nor moved aside: a write must then leave it as it is.
    std::vector<ActivityRecordValue> readDay(const std::string& day) const;
    // The same for a reader, which goes on without that day (logged).
    std::vector<ActivityRecordValue> readDayLeavingOutFailures(const std::string& day) const;
    // Writes a day's records (none: removes its file) and keeps the index's entry of an emptied day.
    void writeDay(const std::string& day, std::vector<ActivityRecordValue> records, WriteDurability durability);

    const std::filesystem::path folder_;
    const std::shared_ptr<PendingChange::Count> pending_;
    mutable std::mutex mutex_;
    mutable bool indexLoaded_ = false;
    mutable Index index_;
    std::set<std::string> leftOut_;
};

} // namespace glimmo
