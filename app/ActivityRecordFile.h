#pragma once

#include "app/ActivityRecord.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

class ActivityRecordArchive;
struct ActivityRecordConversion;

// The record file: one pretty-printed JSON array of records, newest first.
// Keys in order: "id" (upper-case UUID), "appName", "timestamp" (seconds since 2001), "duration",
// "activeTime" (optional, 0), "windowText" (optional, the pending text).
std::string encodeActivityRecords(const ActivityRecordSnapshot& records);
std::string encodeActivityRecords(const std::vector<ActivityRecordValue>& records);
// Throws JSONDecodingError when a required key is missing or any value has the wrong type.
// "duration" and "activeTime" are read within 0...longestRecordSeconds.
std::vector<ActivityRecordValue> decodeActivityRecords(std::string_view json);

// Time is credited to a record only while it is in front, never taken back: a negative duration, or
// one of more than a century, is damage to the file and is read at the nearest of these bounds.
inline constexpr double longestRecordSeconds = 100 * 365.25 * 24 * 3600;

// The record file holds the live records (those of yesterday and today, and any the monitor still
// works on); older ones live in the archive of day files beside it (ActivityRecordArchive), so a write
// costs what two days cost, whatever the history. Reads the file and writes it off the calling
// thread: writes, archiving and deletion happen in the order they were asked for on one background
// thread; a save still waiting when a newer one arrives is skipped, since each save holds the whole
// list. Every write is atomic with mode 0600. A failed write is logged with its reason, once for a run
// of failures with the same reason; records that could not be archived stay in the record file.
class ActivityRecordFile {
public:
    static constexpr const char* fileName = "activityRecords_durazevirez3.json";
    // A file up to this size is read whole; a larger one (only a version that kept every record wrote
    // one) is read a record at a time.
    static constexpr std::size_t wholeReadLimit = std::size_t{8} << 20;
    // The records that a conversion holds before it writes them to their days.
    static constexpr std::size_t conversionBatchBytes = std::size_t{32} << 20;

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
    // converts it again. Reports of the archive wait for the conversion. nullopt as for load().
    // The conversion keeps a copy of `prepare` and calls it on the writer thread, after this returns.
    std::optional<std::vector<ActivityRecordValue>> loadLive(Date liveStart,
                                                            const std::function<void(ActivityRecordValue&)>& prepare);

    // Queues a write of the whole list.
    void save(ActivityRecordSnapshot records);
    void save(const std::vector<ActivityRecordValue>& records);
    // Queues moving `records` into the archive, before any save queued after it.
    void archiveRecords(ActivityRecordSnapshot records);
    // Queues the deletion of the file and of the archive, after the writes queued before it.
    void remove();
    // Waits until everything queued so far is done.
    void flush();
    // For the quit (and the destructor): a conversion still running stops at its next record or batch,
    // rather than hold the quit for seconds. The file stays as it was, the day files written so far stay
    // (the next start converts again and merges them), and the saves after it put their records into
    // their days, where the next start takes the live ones back, instead of over the unconverted file.
    void stopConversion();

    // Tests only: files larger than `bytes` are read a record at a time (nullopt: wholeReadLimit).
    static void setWholeReadLimitForTesting(std::optional<std::size_t> bytes);

private:
    void setAside(const std::string& reason);
    // Nothing writes the file, the days or their deletion in this run (the file may hold the only copy
    // of records that are nowhere else).
    void blockWrites();
    bool writesBlocked() const;
    // loadLive for a file too large to read whole: the head's live records, and the conversion queued.
    std::optional<std::vector<ActivityRecordValue>> startConversion(Date liveStart,
                                                                   const std::function<void(ActivityRecordValue&)>& prepare);
    void queueConversion(ActivityRecordConversion conversion);

    struct Writer;
    std::filesystem::path path_;
    std::shared_ptr<ActivityRecordArchive> archive_;
    std::unique_ptr<Writer> writer_;
};

} // namespace glimmo
