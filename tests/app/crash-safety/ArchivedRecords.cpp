#include "tests/app/crash-safety/ArchivedRecords.h"

#include "app/ActivityRecordArchive.h"
#include "platform/foundation/Files.h"

#include <cstdio>
#include <map>
#include <optional>

namespace glimmo::testing {

namespace fs = std::filesystem;

namespace {

constexpr int recordCount = 12;
const Date liveStart{786000000.0 - 86400};

// Records 0 to 2 are of today, the others of three days long past.
ActivityRecordValue recordOf(int version, int index) {
    char id[37];
    std::snprintf(id, sizeof id, "00000000-0000-4000-8000-%012d", index);
    const double daysBack = index < 3 ? 0 : 3 + index % 3;
    std::string text = std::to_string(version) + ":";
    for (int i = 0; text.size() < 2000; ++i) {
        text += static_cast<char>('a' + (version + i) % 26);
    }
    return {*UUID::parse(id), "App", Date{786000000.0 - 86400 * daysBack + index}, 1.0 * index, 0, text};
}

std::optional<int> versionOf(const ActivityRecordValue& record) {
    int version = 0;
    if (std::sscanf(record.windowText.c_str(), "%d:", &version) != 1) {
        return std::nullopt;
    }
    return version;
}

} // namespace

ArchivedRecords::ArchivedRecords(const fs::path& folder) : path_(folder / ActivityRecordFile::fileName) {
    fs::create_directories(folder);
    // Small files take the conversion's path, as a file past readFile's bound does.
    ActivityRecordFile::setWholeReadLimitForTesting(1024);
}

void ArchivedRecords::write(int version) {
    std::vector<ActivityRecordValue> all;
    for (int index = 0; index < recordCount; ++index) {
        all.push_back(recordOf(version, index));
    }
    writeFileAtomically(path_, encodeActivityRecords(all));
    // Each version is a start of its own.
    ActivityRecordFile file(path_);
    std::optional<std::vector<ActivityRecordValue>> live = file.loadLive(liveStart, [](ActivityRecordValue&) {});
    if (!live || live->size() != 3) {
        std::fprintf(stderr, "the conversion of version %d kept %zu records\n", version, live ? live->size() : 0);
        std::abort();
    }
    if (version % 2 == 1) {
        // A quit while the writer converts.
        file.stopConversion();
    } else {
        // A switch moves one record into its day.
        file.archiveRecords({std::make_shared<const ActivityRecordValue>(live->back())});
        live->pop_back();
    }
    file.save(*live);
    file.flush();
}

std::vector<std::string> archivedRecordProblems(const fs::path& folder, bool temporaryFilesAllowed) {
    std::vector<std::string> problems;
    const fs::path path = folder / ActivityRecordFile::fileName;
    try {
        const auto bytes = readFile(path);
        if (!bytes) {
            return problems;
        }
        const std::vector<ActivityRecordValue> inFile = decodeActivityRecords(*bytes);
        std::map<UUID, ActivityRecordValue> found;
        for (const ActivityRecordValue& record : inFile) found.emplace(record.id, record);
        for (ActivityRecordValue& record : ActivityRecordArchive(ActivityRecordArchive::folderBeside(path))
                                               .recordsWithin(Date{0}, Date{1e10})) {
            found.emplace(record.id, std::move(record)); // the file's version counts first
        }
        const std::optional<int> fileVersion = inFile.empty() ? std::nullopt : versionOf(inFile[0]);
        if (!fileVersion) {
            problems.push_back("records: the file holds no version");
            return problems;
        }
        for (int index = 0; index < recordCount; ++index) {
            const auto record = found.find(recordOf(0, index).id);
            const std::optional<int> version = record == found.end() ? std::nullopt : versionOf(record->second);
            if (!version || *version < *fileVersion || !(record->second == recordOf(*version, index))) {
                problems.push_back("records: record " + std::to_string(index) + " of version " +
                                   std::to_string(*fileVersion) + " is lost or torn");
            }
        }
    } catch (const std::exception& error) {
        problems.push_back(std::string("records: ") + error.what());
    }
    for (const fs::path& inside : {folder, ActivityRecordArchive::folderBeside(path)}) {
        std::error_code error;
        for (fs::directory_iterator entry(inside, error), end; !error && entry != end; entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            if (name.find(".unreadable-") != std::string::npos ||
                (!temporaryFilesAllowed && name.find(".tmp-") != std::string::npos)) {
                problems.push_back(name + ": left behind");
            }
        }
    }
    return problems;
}

} // namespace glimmo::testing
