#include "app/ArchiveBatches.h"

#include "app/ActivityRecordFile.h"

namespace glimmo {

ArchiveBatches::ArchiveBatches(ActivityRecordArchive& archive, ActivityRecordArchive::StopRequest stop)
    : archive_(archive), stop_(std::move(stop)) {}

bool ArchiveBatches::add(ActivityRecordValue record) {
    if (stopped_ || (stopped_ = stop_())) {
        return false;
    }
    // About what a record takes in memory.
    batchBytes_ += sizeof record + record.appName.size() + record.windowText.size();
    batch_.push_back(std::move(record));
    return batchBytes_ < ActivityRecordFile::conversionBatchBytes || writeBatch();
}

bool ArchiveBatches::finish() { return !stopped_ && !(stopped_ = stop_()) && writeBatch(); }

bool ArchiveBatches::writeBatch() {
    ActivityRecordArchive::Added added = archive_.add(batch_, WriteDurability::unflushed, stop_);
    days_.merge(added.written);
    stopped_ = !added.complete;
    archived_ += batch_.size();
    batch_.clear();
    batchBytes_ = 0;
    return !stopped_;
}

} // namespace glimmo
