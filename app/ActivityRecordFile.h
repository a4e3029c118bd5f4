#pragma once

#include "app/ActivityRecord.h"
#include "app/ActivityRecordCoding.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

class ActivityRecordArchive;
class ActivityRecordWriter;

// The record file holds the live records (those of yesterday and today, and any the monitor still
// works on) in the format of ActivityRecordCoding.h; older ones live in the archive of day files beside
// it (ActivityRecordArchive), so a write costs what two days cost, whatever the history. The file is
// read on the calling thread, at start; writes, archiving and deletion happen off it, in the order they
// were asked for, on one background thread (ActivityRecordWriter); a save still waiting when a newer one
// arrives is skipped, since each save holds the whole list. Every write is atomic with mode 0600. A
// failed write is logged with its reason, once for a run of failures with the same reason; records that
// could not be archived stay in the record file, and while the file must stay as it is (a conversion
// that stopped or failed) the records of the run go to their days, each kept in memory until it could
// be written there.
class ActivityRecordFile {
public:
    static constexpr const char* fileName = "activityRecords_durazevirez3.json";
    // A file up to this size is read whole; a larger one (only a version that kept every record wrote
    // one) is read a record at a time.
    static constexpr std::size_t wholeReadLimit = std::size_t{8} << 20;
    // The records that a conversion holds before it writes them to their days.
    static constexpr std::size_t conversionBatchBytes = std::size_t{32} << 20;

    // Removes first what a clear of an earlier run could not (ActivityRecordClear.h), before anything
    // reads the store.
    explicit ActivityRecordFile(std::filesystem::path path);
    ~ActivityRecordFile(); // finishes the queued writes
    ActivityRecordFile(const ActivityRecordFile&) = delete;
    ActivityRecordFile& operator=(const ActivityRecordFile&) = delete;

    // documentsDirectory() / fileName, read when called.
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return path_; }
    const std::shared_ptr<ActivityRecordArchive>& archive() const { return archive_; }

    // Every record in the file. nullopt when there is none ("No saved activity records found" is
    // logged) or when it cannot be read or decoded: such a file is moved aside first, so the next
    // save never overwrites what the user had.
    std::optional<std::vector<ActivityRecordValue>> load();

    // At start: the records of the file that began at or after `liveStart`, in file order, each made
    // what a load makes it by `prepare`. The older ones are moved into the archive (made the same way)
    // and the file is rewritten without them, on the writer thread. A file too large to read whole (an
    // older version's, which holds every record) is read only up to its first record before
    // `liveStart` (it is newest first); its conversion is queued first on the writer thread and streams
    // every other record into its day, and the save queued after it replaces the file only once every
    // day is on disk, so a failure, a stop or a kill leaves the file as it was and the next start
    // converts it again, taking back the live records that the run put into their days meanwhile. Copies
    // of the file that an earlier version set aside for their size are then recovered into the days
    // (ActivityRecordRecovery.h). Reports of the archive wait for both. nullopt as for load().
    // The conversion keeps a copy of `prepare` and calls it on the writer thread, after this returns.
    std::optional<ActivityRecordSnapshot> loadLive(Date liveStart,
                                                   const std::function<void(ActivityRecordValue&)>& prepare);

    // Queues a write of the whole list.
    void save(ActivityRecordSnapshot records);
    void save(const std::vector<ActivityRecordValue>& records);
    // Queues moving `records` into the archive, before any save queued after it.
    void archiveRecords(ActivityRecordSnapshot records);
    // "Clear All Data": drops the writes still queued, stops a conversion under way, and deletes the file,
    // its copies set aside and the archive, whatever state they are in. Reports of the archive asked for
    // meanwhile wait for it.
    void remove();
    // Waits until everything queued so far is done.
    void flush();
    // For the quit (and the destructor): a conversion still running stops at its next record or day
    // file, rather than hold the quit for seconds. The file stays as it was, the day files written so far
    // stay (the next start converts again and merges them), and the saves after it put the records that
    // changed into their days, from where the next start takes the live ones back.
    void stopConversion();

    // Tests only: files larger than `bytes` are read a record at a time (nullopt: wholeReadLimit).
    static void setWholeReadLimitForTesting(std::optional<std::size_t> bytes);

private:
    // Moves the unreadable file aside; false when it cannot be moved, and then nothing writes over it in
    // this run.
    bool setAside(const std::string& reason);
    // loadLive for a file too large to read whole: the head's live records, and the conversion queued.
    std::optional<ActivityRecordSnapshot> startConversion(Date liveStart,
                                                          const std::function<void(ActivityRecordValue&)>& prepare);
    // The file cannot be replaced in this run: the live records with those an earlier run in the same
    // state put into their days, which the saves of this run join there.
    ActivityRecordSnapshot keepFileAsItIs(std::vector<ActivityRecordValue> live, Date liveStart,
                                          const std::function<void(ActivityRecordValue&)>& prepare);
    // Adds to `live` the records of [liveStart, ...) that are only in the days, newest first.
    void takeBackFromDays(std::vector<ActivityRecordValue>& live, Date liveStart,
                          const std::function<void(ActivityRecordValue&)>& prepare) const;

    std::filesystem::path path_;
    std::shared_ptr<ActivityRecordArchive> archive_;
    std::unique_ptr<ActivityRecordWriter> writer_;
    // The file holds records that a clear could not remove: it is not read.
    bool holdsClearedRecords_ = false;
    // The file could be neither read nor moved aside: nothing replaces it in this run.
    bool fileMustStay_ = false;
};

} // namespace glimmo
