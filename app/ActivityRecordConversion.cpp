// The one-time conversion of a record file that an older version let grow with every record ever made:
// streamed, a record at a time, into the archive's day files; the file is replaced by its live records
// only once every day is written and flushed.
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "app/ActivityRecordStream.h"
#include "platform/foundation/FileSystemFlush.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
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
    const std::filesystem::path& folder = archive_->folder();
    std::error_code error;
    const bool archiveExisted = std::filesystem::exists(folder, error);
    std::vector<ActivityRecordValue> live;
    std::vector<ActivityRecordValue> batch;
    std::size_t batchBytes = 0;
    std::size_t archived = 0;
    std::set<std::string> days;
    // Each day is written without its own flush: one flush of the file system covers them all before
    // the file is replaced. Until then the file holds every record, so a power cut costs a repeat.
    const auto writeBatch = [&] {
        for (std::string& day : archive_->add(batch, WriteDurability::unflushed)) {
            days.insert(std::move(day));
        }
        archived += batch.size();
        batch.clear();
        batchBytes = 0;
    };
    try {
        try {
            streamActivityRecords(path_, [&](ActivityRecordValue&& record) {
                prepare(record);
                if (!(record.timestamp < liveStart)) {
                    live.push_back(std::move(record));
                    return;
                }
                if (archived == 0 && batch.empty()) {
                    systemLog("🗄️ Converting activity records: the days before yesterday move from " + path_.string() +
                              " to " + folder.string());
                }
                batchBytes += heldBytes(record);
                batch.push_back(std::move(record));
                if (batchBytes >= conversionBatchBytes) {
                    writeBatch();
                }
            });
        } catch (const JSONDecodingError& damage) {
            // Unreadable as a whole, as it always was: set aside whole, and the days it began to fill
            // go again, unless the archive held days before.
            if (!archiveExisted) {
                archive_->removeAll();
            }
            setAside(damage.what());
            return std::nullopt;
        }
        if (archived == 0 && batch.empty()) {
            return live; // only live records: the file is what it would be rewritten to
        }
        writeBatch();
        flushFileSystemOf(folder);
        // Every day is on disk; only now may the file lose them.
        std::filesystem::create_directories(path_.parent_path());
        writeFileAtomically(path_, encodeActivityRecords(live));
    } catch (const std::exception& failure) {
        // The file keeps every record; writing it with the live ones alone would lose the days not yet
        // archived, so nothing writes it in this run.
        writesBlocked_ = true;
        systemLog("❌ Activity records not converted: " + std::string(failure.what()) + "; " + path_.string() +
                  " stays as it was, records of this run are not saved, and the next start converts it again");
        return live;
    }
    systemLog("✅ Converted " + std::to_string(archived + live.size()) + " activity records: " + std::to_string(archived) +
              " into " + std::to_string(days.size()) + " day files in " + folder.string() + ", " +
              std::to_string(live.size()) + " of yesterday and today kept in " + path_.string());
    return live;
}

} // namespace glimmo
