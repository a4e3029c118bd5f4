#include "tests/app/crash-safety/Stores.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/UUID.h"

#include <nlohmann/json.hpp>

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

std::vector<ActivityRecordValue> records(int version) {
    std::vector<ActivityRecordValue> list;
    for (int i = 0; i < 3; ++i) {
        char id[37];
        std::snprintf(id, sizeof id, "00000000-0000-0000-0000-%012d", i);
        list.push_back({*UUID::parse(id), "App", Date{786000000.0 + version}, 1.0 * i, 0, payload(version)});
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
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".unreadable-") != std::string::npos ||
            (!temporaryFilesAllowed && name.find(".tmp-") != std::string::npos)) {
            problems.push_back(problemWith(entry.path(), "left behind"));
        }
    }
    return problems;
}

} // namespace glimmo::testing
