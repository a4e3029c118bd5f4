// The one-time conversion of a record file that an older version let grow with every record ever made:
// streamed, a record at a time, into the archive's day files; the file is replaced by its live records
// only once every day is written.
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "app/ActivityRecordStream.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"

#include <set>

namespace glimmo {
namespace {

// About what a record takes in memory.
std::size_t heldBytes(const ActivityRecordValue& record) {
    return sizeof record + record.appName.size() + record.windowText.size();
}

} // namespace

std::optional<std::vector<ActivityRecordValue>> ActivityRecordFile::convert(
    Date liveStart, const std::function<void(ActivityRecordValue&)>& prepare) {
    // Read through once before anything is written: a file that fails to decode is set aside whole, as
    // it always was, rather than half converted.
    std::size_t total = 0;
    std::size_t older = 0;
    try {
        streamActivityRecords(path_, [&](ActivityRecordValue&& record) {
            ++total;
            older += record.timestamp < liveStart ? 1 : 0;
        });
    } catch (const std::exception& error) {
        setAside(error.what());
        return std::nullopt;
    }
    const std::string folder = archive_->folder().string();
    if (older > 0) {
        systemLog("🗄️ Converting " + std::to_string(total) + " activity records: the days before yesterday move from " +
                  path_.string() + " to " + folder);
    }

    std::vector<ActivityRecordValue> live;
    std::vector<ActivityRecordValue> batch;
    std::size_t batchBytes = 0;
    std::size_t archived = 0;
    std::set<std::string> days;
    const auto writeBatch = [&] {
        archive_->add(batch);
        for (const ActivityRecordValue& record : batch) {
            days.insert(ActivityRecordArchive::dayName(record.timestamp));
        }
        archived += batch.size();
        batch.clear();
        batchBytes = 0;
    };
    try {
        streamActivityRecords(path_, [&](ActivityRecordValue&& record) {
            prepare(record);
            if (!(record.timestamp < liveStart)) {
                live.push_back(std::move(record));
                return;
            }
            batchBytes += heldBytes(record);
            batch.push_back(std::move(record));
            if (batchBytes >= conversionBatchBytes) {
                writeBatch();
            }
        });
        if (older == 0) {
            return live; // nothing to move: the file is already what it would be rewritten to
        }
        writeBatch();
        // Every day is on disk (each write flushed); only now may the file lose them.
        std::filesystem::create_directories(path_.parent_path());
        writeFileAtomically(path_, encodeActivityRecords(live));
    } catch (const std::exception& error) {
        // The file keeps every record; writing it with the live ones alone would lose the days not yet
        // archived, so nothing writes it in this run.
        writesBlocked_ = true;
        systemLog("❌ Activity records not converted: " + std::string(error.what()) + "; " + path_.string() +
                  " stays as it was, records of this run are not saved, and the next start converts it again");
        return live;
    }
    systemLog("✅ Converted " + std::to_string(total) + " activity records: " + std::to_string(archived) + " into " +
              std::to_string(days.size()) + " day files in " + folder + ", " + std::to_string(live.size()) +
              " of yesterday and today kept in " + path_.string());
    return live;
}

} // namespace glimmo
