// The one-time conversion of a record file that an older version let grow with every record ever made.
// The start reads only the file's head (it is newest first: the live records come first) and hands the
// rest to the writer thread, which streams the file, a record at a time, into the archive's day files;
// the file is replaced by the live records only by the save queued after it, once every day is written
// and flushed.
#include "app/ActivityRecordConversion.h"

#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "app/ActivityRecordStream.h"
#include "platform/foundation/FileSystemFlush.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <set>

namespace glimmo {
namespace {

// About what a record takes in memory.
std::size_t heldBytes(const ActivityRecordValue& record) {
    return sizeof record + record.appName.size() + record.windowText.size();
}

void logNotConverted(const std::filesystem::path& file, const std::exception& failure) {
    systemLog("❌ Activity records not converted: " + std::string(failure.what()) + "; " + file.string() +
              " stays as it was, records of this run are not saved, and the next start converts it again");
}

} // namespace

std::optional<std::vector<ActivityRecordValue>> ActivityRecordFile::startConversion(
    Date liveStart, const std::function<void(ActivityRecordValue&)>& prepare) {
    std::vector<ActivityRecordValue> live;
    try {
        streamActivityRecordsWhile(path_, [&](ActivityRecordValue&& record) {
            if (record.timestamp < liveStart) {
                return false;
            }
            prepare(record);
            live.push_back(std::move(record));
            return true;
        });
    } catch (const JSONDecodingError& damage) {
        setAside(damage.what());
        return std::nullopt;
    } catch (const std::exception& failure) {
        blockWrites();
        logNotConverted(path_, failure);
        return live;
    }
    // A quit during an earlier conversion put that run's records into their days (the file had to stay as
    // it was): they are live again.
    std::unordered_set<UUID> kept;
    for (const ActivityRecordValue& record : live) {
        kept.insert(record.id);
    }
    const std::size_t head = live.size();
    for (ActivityRecordValue& record : archive_->recordsWithin(liveStart, Date::distantFuture())) {
        if (!(record.timestamp < liveStart) && kept.insert(record.id).second) {
            prepare(record);
            live.push_back(std::move(record));
        }
    }
    if (live.size() > head) {
        std::stable_sort(live.begin(), live.end(),
                         [](const ActivityRecordValue& a, const ActivityRecordValue& b) { return b.timestamp < a.timestamp; });
    }
    queueConversion({path_, std::move(kept), prepare});
    // Replaces the file once the conversion is done; the monitor's own first save replaces this one.
    save(live);
    return live;
}

ConversionEnd convertRecordFile(const ActivityRecordConversion& conversion, ActivityRecordArchive& archive,
                                const std::atomic<bool>& stop) {
    const std::filesystem::path& file = conversion.file;
    const std::filesystem::path& folder = archive.folder();
    std::error_code error;
    const bool archiveExisted = std::filesystem::exists(folder, error);
    std::vector<ActivityRecordValue> batch;
    std::size_t batchBytes = 0;
    std::size_t archived = 0;
    std::size_t kept = 0;
    std::set<std::string> days;
    // Each day is written without its own flush: one flush of the file system covers them all before
    // the file may be replaced. Until then the file holds every record, so a power cut costs a repeat.
    const auto writeBatch = [&] {
        for (std::string& day : archive.add(batch, WriteDurability::unflushed)) {
            days.insert(std::move(day));
        }
        archived += batch.size();
        batch.clear();
        batchBytes = 0;
        return !stop;
    };
    try {
        try {
            streamActivityRecordsWhile(file, [&](ActivityRecordValue&& record) {
                if (stop) {
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
        if (stop || !writeBatch()) {
            systemLog("⏹️ Activity records conversion stopped for the quit: " + file.string() +
                      " stays as it was, and the next start converts it again");
            return ConversionEnd::stopped;
        }
        if (archived == 0) {
            return ConversionEnd::converted; // only live records: the save writes what the file holds
        }
        flushFileSystemOf(folder);
    } catch (const std::exception& failure) {
        // The file keeps every record; writing it with the live ones alone would lose the days not yet
        // archived, so nothing writes it in this run.
        logNotConverted(file, failure);
        return ConversionEnd::failed;
    }
    systemLog("✅ Converted " + std::to_string(archived + kept) + " activity records: " + std::to_string(archived) +
              " into " + std::to_string(days.size()) + " day files in " + folder.string() + ", " +
              std::to_string(kept) + " of yesterday and today kept in " + file.string());
    return ConversionEnd::converted;
}

} // namespace glimmo
