#include "app/ActivityRecordRecovery.h"

#include "app/ActivityRecordClear.h"
#include "app/ActivityRecordFile.h"
#include "app/ActivityRecordStream.h"
#include "platform/foundation/FileIdentity.h"
#include "platform/foundation/FileSystemFlush.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// A damaged copy as the note names it: its name, size and modification time; another version of the file
// is examined again.
nlohmann::json noteEntry(const fs::path& copy, const FileIdentity& identity) {
    return {{"name", copy.filename().string()}, {"size", identity.size}, {"modified", identity.modifiedNanoseconds}};
}

class DamagedCopies {
public:
    explicit DamagedCopies(fs::path note) : note_(std::move(note)) {
        try {
            if (const std::optional<std::string> bytes = readFile(note_, SymbolicLinks::refused)) {
                entries_ = parseJSON(*bytes);
            }
        } catch (const std::exception& failure) {
            moveUnreadableFileAside(note_, failure.what());
        }
        if (!entries_.is_array()) {
            entries_ = nlohmann::json::array();
        }
    }

    bool contains(const nlohmann::json& entry) const {
        return std::find(entries_.begin(), entries_.end(), entry) != entries_.end();
    }

    void add(nlohmann::json entry) {
        entries_.push_back(std::move(entry));
        try {
            fs::create_directories(note_.parent_path());
            writeFileAtomically(note_, prettyJSON(entries_), WriteDurability::durable, SymbolicLinks::refused);
        } catch (const std::exception& failure) {
            systemLog(std::string("❌ Failed to note a damaged copy of the activity records: ") + failure.what());
        }
    }

private:
    fs::path note_;
    nlohmann::json entries_;
};

enum class Recovery { recovered, damaged, stopped };

// Reads the copy to its end without keeping anything, then again into the days: a damaged copy leaves no
// day written. Throws FileError.
Recovery recover(const fs::path& copy, ActivityRecordArchive& archive,
                 const std::function<void(ActivityRecordValue&)>& prepare,
                 const ActivityRecordArchive::StopRequest& stop, std::size_t& count) {
    bool stopped = false;
    const auto goesOn = [&] { return !(stopped = stopped || stop()); };
    try {
        streamActivityRecordsWhile(copy, [&](ActivityRecordValue&&) { return goesOn(); });
    } catch (const JSONDecodingError& damage) {
        systemLog("⚠️ " + copy.string() + " was set aside for damage (" + damage.what() + "); it stays as it is");
        return Recovery::damaged;
    }
    if (stopped) {
        return Recovery::stopped;
    }
    std::vector<ActivityRecordValue> batch;
    std::size_t batchBytes = 0;
    const auto writeBatch = [&] {
        stopped = stopped || !archive.add(batch, WriteDurability::unflushed, stop).complete;
        count += batch.size();
        batch.clear();
        batchBytes = 0;
        return !stopped;
    };
    streamActivityRecordsWhile(copy, [&](ActivityRecordValue&& record) {
        if (!goesOn()) {
            return false;
        }
        prepare(record);
        batchBytes += sizeof record + record.appName.size() + record.windowText.size();
        batch.push_back(std::move(record));
        return batchBytes < ActivityRecordFile::conversionBatchBytes || writeBatch();
    });
    if (stopped || !writeBatch()) {
        return Recovery::stopped;
    }
    flushFileSystemOf(archive.folder());
    return Recovery::recovered;
}

} // namespace

void recoverSetAsideRecordFiles(const fs::path& recordFile, ActivityRecordArchive& archive,
                                const std::function<void(ActivityRecordValue&)>& prepare,
                                const ActivityRecordArchive::StopRequest& stop) {
    std::optional<DamagedCopies> damaged;
    for (const fs::path& copy : setAsideRecordFiles(recordFile)) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(copy, error);
        const std::optional<FileIdentity> identity = fileIdentity(copy);
        if (error || !fs::is_regular_file(status) || !identity) {
            continue;
        }
        if (!damaged) {
            damaged.emplace(archive.folder() / ActivityRecordArchive::damagedCopiesFileName);
        }
        const nlohmann::json entry = noteEntry(copy, *identity);
        if (damaged->contains(entry)) {
            continue;
        }
        if (stop()) {
            return;
        }
        std::size_t count = 0;
        try {
            switch (recover(copy, archive, prepare, stop, count)) {
            case Recovery::stopped:
                return;
            case Recovery::damaged:
                damaged->add(entry);
                continue;
            case Recovery::recovered:
                break;
            }
            fs::remove(copy);
            systemLog("✅ Recovered " + std::to_string(count) + " activity records set aside in " + copy.string() +
                      " into the day files in " + archive.folder().string());
        } catch (const std::exception& failure) {
            systemLog("❌ Activity records set aside in " + copy.string() + " not recovered: " +
                      withoutTemporaryFileName(failure) + "; the next start tries again");
        }
    }
}

} // namespace glimmo
