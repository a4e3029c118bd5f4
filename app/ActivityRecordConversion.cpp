// The one-time conversion of a record file that an older version let grow with every record ever made.
// The start reads only the file's head (it is newest first: the live records come first) and hands the
// rest to the writer thread, which streams the file, a record at a time, into the archive's day files;
// the file is replaced by the live records only by the save queued after it, once every day is written
// and flushed.
#include "app/ActivityRecordConversion.h"

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

void logNotConverted(const std::filesystem::path& file, const std::exception& failure) {
    systemLog("❌ Activity records not converted: " + withoutTemporaryFileName(failure) + "; " + file.string() +
              " stays as it was, the records of this run go to their days, and the next start converts it again");
}

} // namespace

bool moveRecordFileAside(const std::filesystem::path& file, const std::string& reason) {
    try {
        moveUnreadableFileAside(file, reason);
        return true;
    } catch (const std::exception& error) {
        systemLog("❌ Activity records will not be saved: " + file.string() + " cannot be read or moved aside (" +
                  error.what() + ")");
        return false;
    }
}

ConversionEnd convertRecordFile(const ActivityRecordConversion& conversion, ActivityRecordArchive& archive,
                                const ActivityRecordArchive::StopRequest& stop) {
    const std::filesystem::path& file = conversion.file;
    const std::filesystem::path& folder = archive.folder();
    std::error_code error;
    const bool archiveExisted = std::filesystem::exists(folder, error);
    std::vector<ActivityRecordValue> batch;
    std::size_t batchBytes = 0;
    std::size_t archived = 0;
    std::size_t kept = 0;
    std::set<std::string> days;
    const std::set<std::string> daysBefore = archive.daysOnDisk();
    bool stopped = false;
    // Each day is written without its own flush: one flush of the file system covers them all before
    // the file may be replaced. Until then the file holds every record, so a power cut costs a repeat.
    const auto writeBatch = [&] {
        ActivityRecordArchive::Added added = archive.add(batch, WriteDurability::unflushed, stop);
        days.merge(added.written);
        stopped = !added.complete;
        archived += batch.size();
        batch.clear();
        batchBytes = 0;
        return !stopped;
    };
    try {
        try {
            streamActivityRecordsWhile(file, [&](ActivityRecordValue&& record) {
                if (stop()) {
                    stopped = true;
                    return false;
                }
                // Whatever its time: a live-looking record after older ones (a clock set back) goes to its
                // day too, as reports read the days and memory alike.
                if (conversion.kept.count(record.id) != 0) {
                    ++kept;
                    return true;
                }
                conversion.prepare(record);
                if (archived == 0 && batch.empty()) {
                    systemLog("🗄️ Converting activity records: the days before yesterday move from " + file.string() +
                              " to " + folder.string());
                }
                batchBytes += heldBytes(record);
                batch.push_back(std::move(record));
                return batchBytes < ActivityRecordFile::conversionBatchBytes || writeBatch();
            });
        } catch (const JSONDecodingError& damage) {
            // Unreadable as a whole, as it always was: set aside whole, and the days it began to fill
            // go again, unless the archive held days before.
            if (!archiveExisted) {
                archive.removeAll();
            }
            return moveRecordFileAside(file, damage.what()) ? ConversionEnd::setAside : ConversionEnd::failed;
        }
        if (stopped || stop() || !writeBatch()) {
            systemLog("⏹️ Activity records conversion stopped: " + file.string() +
                      " stays as it was, and the next start converts it again");
            return ConversionEnd::stopped;
        }
        if (archived == 0) {
            return ConversionEnd::converted; // only live records: the save writes what the file holds
        }
        flushFileSystemOf(folder);
    } catch (const std::exception& failure) {
        // The file keeps every record; writing it with the live ones alone would lose the days not yet
        // archived. The days this conversion created hold only records of the file: they go, and with
        // them the room they took on a full disk, which this run's records need.
        logNotConverted(file, failure);
        std::set<std::string> created;
        for (const std::string& day : archive.daysOnDisk()) {
            if (daysBefore.count(day) == 0) created.insert(day);
        }
        archive.removeDays(created);
        return ConversionEnd::failed;
    }
    systemLog("✅ Converted " + std::to_string(archived + kept) + " activity records: " + std::to_string(archived) +
              " into " + std::to_string(days.size()) + " day files in " + folder.string() + ", " +
              std::to_string(kept) + " of yesterday and today kept in " + file.string());
    return ConversionEnd::converted;
}

} // namespace glimmo
