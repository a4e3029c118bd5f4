#include "tests/app/crash-safety/Stores.h"

#include "app/ActivityRecordArchive.h"
#include "tests/app/RecordHistory.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/UUID.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace glimmo::testing {

namespace fs = std::filesystem;

namespace {

constexpr const char* settingsName = "defaults.json";
constexpr const char* timeframe = "2026-12-07";

// "<version>:" and then 2 KB that depend on the version, so two versions never share more than a
// prefix. Small, so that writing, not encoding, takes most of a round and the kills land in it.
std::string payload(int version) {
    std::string text = std::to_string(version) + ":";
    for (int i = 0; text.size() < 2000; ++i) {
        text += static_cast<char>('a' + (version + i) % 26);
    }
    return text;
}

std::optional<int> versionOf(const std::string& text) {
    int version = 0;
    if (std::sscanf(text.c_str(), "%d:", &version) != 1 || text != payload(version)) {
        return std::nullopt;
    }
    return version;
}

UUID idOf(int index) {
    char id[37];
    std::snprintf(id, sizeof id, "00000000-0000-0000-0000-%012d", index);
    return *UUID::parse(id);
}

std::vector<ActivityRecordValue> records(int version) {
    std::vector<ActivityRecordValue> list;
    for (int i = 0; i < 3; ++i) {
        list.push_back({idOf(i), "App", Date{786000000.0 + version}, 1.0 * i, 0, payload(version)});
    }
    return list;
}

// Records 0 to 2 of today, the others of three days long past.
std::vector<ActivityRecordValue> history(int version) {
    std::vector<ActivityRecordValue> list;
    for (int i = 0; i < 12; ++i) {
        const double daysBack = i < 3 ? 0 : 3 + i % 3;
        list.push_back({idOf(i), "App", Date{786000000.0 - 86400 * daysBack + i}, 1.0 * i, 0, payload(version)});
    }
    return list;
}

std::string problemWith(const fs::path& file, const std::string& what) { return file.filename().string() + ": " + what; }

// Adds a problem unless `file` is absent or `isOneVersion` finds exactly one whole version in it.
void check(const fs::path& file, const char* what, const std::function<bool(std::string_view)>& isOneVersion,
           std::vector<std::string>& problems) {
    const auto bytes = readFile(file);
    try {
        if (bytes && !isOneVersion(*bytes)) {
            problems.push_back(problemWith(file, what));
        }
    } catch (const std::exception& error) {
        problems.push_back(problemWith(file, error.what()));
    }
}

void leftBehind(const fs::path& folder, bool temporaryFilesAllowed, std::vector<std::string>& problems) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.find(".unreadable-") != std::string::npos ||
            (!temporaryFilesAllowed && name.find(".tmp-") != std::string::npos)) {
            problems.push_back(problemWith(entry->path(), "left behind"));
        }
    }
}

} // namespace

Stores::Stores(const fs::path& folder)
    : recordFile_(folder / ActivityRecordFile::fileName), clock_(Date{786000000.0}),
      dailyStore_(clock_, [folder] { return std::optional<fs::path>(folder); }), settings_(folder / settingsName) {}

void Stores::write(int version) {
    recordFile_.save(records(version));
    recordFile_.flush();
    dailyStore_.savePromptResponse(payload(version), timeframe);
    settings_.set("payload", payload(version));
}

std::vector<std::string> storeProblems(const fs::path& folder, bool temporaryFilesAllowed) {
    std::vector<std::string> problems;
    check(folder / ActivityRecordFile::fileName, "records of no single version", [](std::string_view bytes) {
        const auto decoded = decodeActivityRecords(bytes);
        const auto version = decoded.empty() ? std::nullopt : versionOf(decoded[0].windowText);
        return version && decoded == records(*version);
    }, problems);
    check(folder / ActivityDataManager::dataFileName, "not one answer of one version", [](std::string_view bytes) {
        const auto store = decodeDailyActivityStore(bytes);
        return store.size() == 1 && store.begin()->second.timeframes.size() == 1 &&
               versionOf(store.begin()->second.timeframes.begin()->second.promptResponse);
    }, problems);
    check(folder / settingsName, "not one payload of one version", [](std::string_view bytes) {
        const auto values = parseOrderedJSON(bytes);
        return values.size() == 1 && values.contains("payload") && values["payload"].is_string() &&
               versionOf(values["payload"].get<std::string>());
    }, problems);
    leftBehind(folder, temporaryFilesAllowed, problems);
    return problems;
}

void convertRecordFile(const fs::path& folder, int version) {
    const fs::path path = folder / ActivityRecordFile::fileName;
    fs::create_directories(folder);
    ActivityRecordFile::setWholeReadLimitForTesting(1024); // converted as a file past readFile's bound is
    writeFileAtomically(path, encodeActivityRecords(history(version)));
    ActivityRecordFile file(path);
    std::vector<ActivityRecordValue> live = valuesOf(file.loadLive(Date{786000000.0 - 86400}, [](auto&) {}).value());
    if (version % 2 == 1) {
        file.stopConversion();
    } else {
        file.archiveRecords({std::make_shared<const ActivityRecordValue>(live.at(2))});
        live.pop_back();
    }
    file.save(live);
    file.flush();
}

std::vector<std::string> convertedRecordProblems(const fs::path& folder, bool temporaryFilesAllowed) {
    std::vector<std::string> problems;
    const fs::path path = folder / ActivityRecordFile::fileName;
    const fs::path days = ActivityRecordArchive::folderBeside(path);
    check(path, "a record of its version lost or torn", [&days](std::string_view bytes) {
        std::vector<ActivityRecordValue> found = decodeActivityRecords(bytes); // the file's first, as readers count them
        const std::optional<int> fileVersion = found.empty() ? std::nullopt : versionOf(found[0].windowText);
        for (ActivityRecordValue& record : ActivityRecordArchive(days).recordsWithin(Date{0}, Date{1e10})) {
            found.push_back(std::move(record));
        }
        for (int index = 0; fileVersion && index < 12; ++index) {
            const auto record = std::find_if(found.begin(), found.end(), [&](const auto& r) { return r.id == idOf(index); });
            const auto version = record == found.end() ? std::nullopt : versionOf(record->windowText);
            if (!version || *version < *fileVersion || !(*record == history(*version)[index])) return false;
        }
        return fileVersion.has_value();
    }, problems);
    leftBehind(folder, temporaryFilesAllowed, problems);
    leftBehind(days, temporaryFilesAllowed, problems);
    return problems;
}

void convertThenClear(const fs::path& folder, int version) {
    convertRecordFile(folder, version);
    ActivityRecordFile file(folder / ActivityRecordFile::fileName);
    file.remove();
    file.flush();
}

std::vector<std::string> clearedOrWholeProblems(const fs::path& folder) {
    const fs::path path = folder / ActivityRecordFile::fileName;
    { const ActivityRecordFile start(path); }
    const fs::path days = ActivityRecordArchive::folderBeside(path);
    const bool dayLeft = !ActivityRecordArchive(days).daysOnDisk().empty();
    if (!fs::exists(path)) {
        return dayLeft ? std::vector<std::string>{"the record file cleared and days left"} : std::vector<std::string>{};
    }
    return convertedRecordProblems(folder, true);
}

} // namespace glimmo::testing
