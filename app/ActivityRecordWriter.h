#pragma once

// The record file's writer thread, for ActivityRecordFile only: saves, archiving, the conversion of an
// older version's file, the recovery of copies set aside and clears, performed one at a time in the
// order they were asked for, so that each sees the store as the ones before it left it.

#include "app/ActivityRecord.h"
#include "app/ActivityRecordConversion.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace glimmo {

class ActivityRecordArchive;

class ActivityRecordWriter {
public:
    ActivityRecordWriter(std::filesystem::path file, std::shared_ptr<ActivityRecordArchive> archive);
    // Finishes what is queued, but stops a conversion or a recovery rather than wait for it.
    ~ActivityRecordWriter();
    ActivityRecordWriter(const ActivityRecordWriter&) = delete;
    ActivityRecordWriter& operator=(const ActivityRecordWriter&) = delete;

    // The whole list; a save still waiting when a newer one comes is dropped.
    void save(ActivityRecordSnapshot records);
    // Moves `records` into their days; those that cannot go yet stay in the file until they can.
    void archive(ActivityRecordSnapshot records);
    // Converts the file; reports of the archive wait for it.
    void convert(ActivityRecordConversion conversion);
    // Recovers the copies of the file that an earlier version set aside for their size.
    void recover(std::function<void(ActivityRecordValue&)> prepare);
    // The file may hold the only copy of records that are nowhere else, or records that were cleared: the
    // saves of this run put the records that changed since `known` into their days instead.
    void keepFileAsItIs(ActivityRecordSnapshot known);
    // The files a clear of an earlier run could not remove yet, which its note names: a save that
    // replaces the record file takes it off the note.
    void clearLeft(std::vector<std::filesystem::path> files);
    // Drops everything queued, stops the work under way (a conversion, a recovery or an archiving stop at
    // their next record or day file), then removes the file, its copies set aside and the archive. Reports
    // of the archive wait for it.
    void clear();
    // Waits until everything queued so far is done.
    void flush();
    // For the quit: a conversion or recovery under way stops at its next record or day file.
    void stopLongWork();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace glimmo
