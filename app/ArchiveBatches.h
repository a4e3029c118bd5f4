#pragma once

// Records streamed into the archive's days a batch at a time (at most conversionBatchBytes of them held),
// as the conversion of an older version's file and the recovery of a copy set aside do. Each day is written
// unflushed: the caller flushes the file system once all are written.

#include "app/ActivityRecordArchive.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace glimmo {

class ArchiveBatches {
public:
    ArchiveBatches(ActivityRecordArchive& archive, ActivityRecordArchive::StopRequest stop);

    // Takes a record, writing the batch once it is full; false once the work stopped (also before it took it).
    bool add(ActivityRecordValue record);
    // Writes what is left; false when the work stopped.
    bool finish();

    std::size_t archived() const { return archived_; }
    const std::set<std::string>& days() const { return days_; }

private:
    bool writeBatch();

    ActivityRecordArchive& archive_;
    const ActivityRecordArchive::StopRequest stop_;
    std::vector<ActivityRecordValue> batch_;
    std::size_t batchBytes_ = 0;
    std::size_t archived_ = 0;
    std::set<std::string> days_;
    bool stopped_ = false;
};

} // namespace glimmo
