#pragma once

#include "app/ActivityRecord.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

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

// Reads the record file and writes it off the calling thread. Writes happen in the order they were
// asked for on one background thread; a write still waiting when a newer one arrives is skipped,
// since each write holds the whole list. Every write is atomic with mode 0600. A failed write is
// logged with its reason, once for a run of failures with the same reason.
class ActivityRecordFile {
public:
    static constexpr const char* fileName = "activityRecords_durazevirez3.json";

    explicit ActivityRecordFile(std::filesystem::path path);
    ~ActivityRecordFile(); // finishes the queued writes
    ActivityRecordFile(const ActivityRecordFile&) = delete;
    ActivityRecordFile& operator=(const ActivityRecordFile&) = delete;

    // documentsDirectory() / fileName, read when called.
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return path_; }

    // The records in the file. nullopt when there is none ("No saved activity records found" is
    // logged) or when it cannot be read or decoded: such a file is moved aside first, so the next
    // save never overwrites what the user had.
    std::optional<std::vector<ActivityRecordValue>> load();

    // Queues a write of the whole list.
    void save(ActivityRecordSnapshot records);
    void save(const std::vector<ActivityRecordValue>& records);
    // Queues the deletion of the file, after the writes queued before it.
    void remove();
    // Waits until everything queued so far is done.
    void flush();

private:
    void setAside(const std::string& reason);

    struct Writer;
    std::filesystem::path path_;
    bool writesBlocked_ = false;
    std::unique_ptr<Writer> writer_;
};

} // namespace glimmo
