#pragma once

#include "app/ActivityRecord.h"
#include "platform/foundation/Files.h"

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
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
// Every file is written atomically. Thread-safe: the record file's writer adds and removes, the merges
// of reports read.
class ActivityRecordArchive {
public:
    static constexpr const char* indexFileName = "index.json";

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

    // Adds each record to the file of its day, merging by id with what the file holds (the record
    // given wins), so a repeat after an interruption is harmless. Throws when a file cannot be
    // written; the days written before stay written. Gives the days written. Unflushed writes are for
    // a caller that flushes the file system itself before it relies on them.
    std::vector<std::string> add(const std::vector<ActivityRecordValue>& records,
                                 WriteDurability durability = WriteDurability::durable);
    // Deletes every day file and the index.
    void removeAll();
    // Records on their way here (no longer in memory, not yet added): readers wait for them.
    void expectAdd();
    // An expected add is done, or will not happen.
    void settleAdd();

    // The archived records that lie in [start, end] or touch it, newest first, each id once, once the
    // records on their way are added. A day file that cannot be read is set aside (logged) and the
    // others still read.
    std::vector<ActivityRecordValue> recordsWithin(Date start, Date end) const;
    // The days held, with their spans.
    std::map<std::string, ArchivedDaySpan> days() const;

private:
    using Index = std::map<std::string, ArchivedDaySpan>;

    std::filesystem::path dayFile(const std::string& day) const;
    void loadIndexIfNeeded() const;
    void writeIndex(const Index& index, WriteDurability durability = WriteDurability::durable) const;
    // The day's records; empty when it has no file or its file was unreadable and set aside.
    // Throws when the file can be neither read nor moved aside: a write must then leave it as it is.
    std::vector<ActivityRecordValue> readDay(const std::string& day) const;
    // The same for a reader, which goes on without that day (logged).
    std::vector<ActivityRecordValue> readDayLeavingOutFailures(const std::string& day) const;

    const std::filesystem::path folder_;
    mutable std::mutex mutex_;
    mutable std::condition_variable settled_;
    std::size_t expectedAdds_ = 0;
    mutable bool indexLoaded_ = false;
    mutable Index index_;
};

} // namespace glimmo
