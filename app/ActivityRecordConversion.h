#pragma once

// The one-time conversion of a record file that an older version let grow with every record ever made,
// as the record file's writer thread runs it. Used by ActivityRecordFile only.

#include "app/ActivityRecord.h"
#include "app/ActivityRecordArchive.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace glimmo {

struct ActivityRecordConversion {
    std::filesystem::path file;
    // The records the start took into memory, as it made them: the save queued after the conversion
    // writes them, and while the file must stay as it was the saves put into their days only those
    // that changed since.
    std::unordered_map<UUID, std::shared_ptr<const ActivityRecordValue>> kept;
    // What a load makes of a record, applied to each one archived.
    std::function<void(ActivityRecordValue&)> prepare;
};

enum class ConversionEnd {
    converted, // every other record is in its day, on disk: the next save may replace the file
    stopped,   // asked to stop: the file is as it was and must stay so; the next start converts again
    failed,    // a write or a read failed (logged): the file is as it was and must stay so, and the days this
               // conversion created are removed again (their records are all in the file); the next start
               // converts again
    setAside,  // the file does not decode to its end and was moved aside whole: a save starts a new one
};

// Streams the file into the archive's days, every record but the kept ones, a batch at a time, and
// flushes them. Asks `stop` at each record and between day files. Never writes the file itself.
ConversionEnd convertRecordFile(const ActivityRecordConversion& conversion, ActivityRecordArchive& archive,
                                const ActivityRecordArchive::StopRequest& stop);

// Moves an unreadable record file aside (logged); false, also logged, when it cannot be moved: then
// nothing may write the file in this run, since a write would destroy the only copy of the history.
bool moveRecordFileAside(const std::filesystem::path& file, const std::string& reason);

} // namespace glimmo
