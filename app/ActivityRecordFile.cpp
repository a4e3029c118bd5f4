#include "app/ActivityRecordFile.h"

#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordClear.h"
#include "app/ActivityRecordConversion.h"
#include "app/ActivityRecordStream.h"
#include "app/ActivityRecordWriter.h"
#include "app/ArchiveDayNames.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <unordered_set>

namespace glimmo {
namespace {

std::atomic<std::size_t> wholeReadLimitInForce{ActivityRecordFile::wholeReadLimit};

ActivityRecordSnapshot snapshotOfValues(std::vector<ActivityRecordValue> values) {
    ActivityRecordSnapshot snapshot;
    snapshot.reserve(values.size());
    for (ActivityRecordValue& value : values) {
        snapshot.push_back(std::make_shared<const ActivityRecordValue>(std::move(value)));
    }
    return snapshot;
}

} // namespace

ActivityRecordFile::ActivityRecordFile(std::filesystem::path path)
    : path_(std::move(path)),
      archive_(std::make_shared<ActivityRecordArchive>(ActivityRecordArchive::folderBeside(path_))),
      writer_(std::make_unique<ActivityRecordWriter>(path_, archive_)) {
    const std::vector<std::filesystem::path> left = finishPendingClear(path_);
    if (left.empty()) {
        return;
    }
    std::set<std::string> days;
    for (const std::filesystem::path& file : left) {
        holdsClearedRecords_ = holdsClearedRecords_ || file == path_;
        if (const std::optional<std::string> day = dayOfFileName(file.filename().string())) {
            days.insert(*day);
        }
    }
    archive_->leaveOut(days);
    writer_->clearLeft(left);
}

ActivityRecordFile::~ActivityRecordFile() = default;

std::filesystem::path ActivityRecordFile::defaultPath() {
    return documentsDirectory() / fileName;
}

void ActivityRecordFile::setWholeReadLimitForTesting(std::optional<std::size_t> bytes) {
    wholeReadLimitInForce = bytes.value_or(wholeReadLimit);
}

std::optional<std::vector<ActivityRecordValue>> ActivityRecordFile::load() {
    // A load must see the writes queued before it.
    flush();
    if (holdsClearedRecords_) {
        systemLog("⚠️ Activity records in " + path_.string() + " were cleared and are not read");
        return std::nullopt;
    }
    std::vector<ActivityRecordValue> records;
    try {
        const std::optional<FileStart> start = readFileStart(path_, 0);
        if (!start) {
            systemLog("No saved activity records found");
            return std::nullopt;
        }
        if (start->size > wholeReadLimitInForce) {
            streamActivityRecords(path_, [&records](ActivityRecordValue&& record) { records.push_back(std::move(record)); });
            return records;
        }
        const std::optional<std::string> bytes = readFile(path_);
        if (!bytes) {
            systemLog("No saved activity records found");
            return std::nullopt;
        }
        return decodeActivityRecords(*bytes);
    } catch (const std::exception& error) {
        // A file that cannot be moved aside may hold the only copy of the history: nothing replaces it.
        fileMustStay_ = !setAside(error.what());
        if (fileMustStay_) {
            writer_->keepFileAsItIs({});
        }
        return std::nullopt;
    }
}

std::optional<ActivityRecordSnapshot> ActivityRecordFile::loadLive(
    Date liveStart, const std::function<void(ActivityRecordValue&)>& prepare) {
    flush();
    std::optional<ActivityRecordSnapshot> loaded;
    bool large = false;
    try {
        const std::optional<FileStart> start = readFileStart(path_, 0);
        large = !holdsClearedRecords_ && start && start->size > wholeReadLimitInForce;
    } catch (const std::exception& error) {
        if (!setAside(error.what())) {
            loaded = keepFileAsItIs({}, liveStart, prepare);
        }
    }
    if (large) {
        loaded = startConversion(liveStart, prepare);
    } else if (!loaded) {
        std::optional<std::vector<ActivityRecordValue>> records = load();
        if (!records && fileMustStay_) {
            loaded = keepFileAsItIs({}, liveStart, prepare);
        } else if (records) {
            std::vector<ActivityRecordValue> live;
            ActivityRecordSnapshot older;
            for (ActivityRecordValue& record : *records) {
                prepare(record);
                if (record.timestamp < liveStart) {
                    older.push_back(std::make_shared<const ActivityRecordValue>(std::move(record)));
                } else {
                    live.push_back(std::move(record));
                }
            }
            loaded = snapshotOfValues(std::move(live));
            if (!older.empty()) {
                // The days go first; the file without them follows, once they are written.
                archiveRecords(std::move(older));
                save(*loaded);
            }
        }
    }
    writer_->recover(prepare);
    return loaded;
}

std::optional<ActivityRecordSnapshot> ActivityRecordFile::startConversion(
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
        if (setAside(damage.what())) {
            return std::nullopt;
        }
        return keepFileAsItIs(std::move(live), liveStart, prepare);
    } catch (const std::exception& failure) {
        systemLog("❌ Activity records not converted: " + std::string(failure.what()) + "; " + path_.string() +
                  " stays as it was, the records of this run go to their days, and the next start converts it again");
        return keepFileAsItIs(std::move(live), liveStart, prepare);
    }
    // A run that could not replace the file put its records into their days: they are live again.
    takeBackFromDays(live, liveStart, prepare);
    ActivityRecordSnapshot snapshot = snapshotOfValues(std::move(live));
    ActivityRecordConversion conversion{path_, {}, prepare};
    for (const auto& record : snapshot) {
        conversion.kept.emplace(record->id, record);
    }
    writer_->convert(std::move(conversion));
    // Replaces the file once the conversion is done; the monitor's own first save replaces this one.
    save(snapshot);
    return snapshot;
}

ActivityRecordSnapshot ActivityRecordFile::keepFileAsItIs(std::vector<ActivityRecordValue> live, Date liveStart,
                                                          const std::function<void(ActivityRecordValue&)>& prepare) {
    takeBackFromDays(live, liveStart, prepare);
    ActivityRecordSnapshot snapshot = snapshotOfValues(std::move(live));
    writer_->keepFileAsItIs(snapshot);
    return snapshot;
}

void ActivityRecordFile::takeBackFromDays(std::vector<ActivityRecordValue>& live, Date liveStart,
                                          const std::function<void(ActivityRecordValue&)>& prepare) const {
    std::unordered_set<UUID> held;
    for (const ActivityRecordValue& record : live) {
        held.insert(record.id);
    }
    const std::size_t head = live.size();
    for (ActivityRecordValue& record : archive_->recordsWithin(liveStart, Date::distantFuture())) {
        if (!(record.timestamp < liveStart) && held.insert(record.id).second) {
            prepare(record);
            live.push_back(std::move(record));
        }
    }
    if (live.size() > head) {
        sortNewestFirst(live);
    }
}

bool ActivityRecordFile::setAside(const std::string& reason) {
    return moveRecordFileAside(path_, reason);
}

void ActivityRecordFile::save(ActivityRecordSnapshot records) {
    writer_->save(std::move(records));
}

void ActivityRecordFile::save(const std::vector<ActivityRecordValue>& records) {
    save(snapshotOfValues(records));
}

void ActivityRecordFile::archiveRecords(ActivityRecordSnapshot records) {
    writer_->archive(std::move(records));
}

void ActivityRecordFile::remove() {
    holdsClearedRecords_ = false;
    writer_->clear();
}

void ActivityRecordFile::flush() {
    writer_->flush();
}

void ActivityRecordFile::stopConversion() { writer_->stopLongWork(); }

} // namespace glimmo
