#include "app/ActivityDataManager.h"

#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonReading.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/RunLoop.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

std::shared_ptr<ActivityDataManager>& sharedManager() {
    static std::shared_ptr<ActivityDataManager> manager;
    return manager;
}

std::map<std::string, double> numberMap(const nlohmann::json& value, const std::string& path) {
    if (!value.is_object()) {
        throw JSONDecodingError(path, "expected an object");
    }
    std::map<std::string, double> result;
    for (const auto& [key, number] : value.items()) {
        result[key] = numberValue(number, path + "." + key);
    }
    return result;
}

nlohmann::ordered_json numberMapJSON(const std::map<std::string, double>& map) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [key, value] : map) {
        object[key] = value;
    }
    return object;
}

nlohmann::ordered_json dailyActivityJSON(const DailyActivityData& day) {
    nlohmann::ordered_json timeframes = nlohmann::ordered_json::object();
    for (const auto& [timeframe, data] : day.timeframes) {
        nlohmann::ordered_json entry;
        entry["promptResponse"] = data.promptResponse;
        entry["lastUpdateTime"] = encodeDate(data.lastUpdateTime);
        timeframes[timeframe] = std::move(entry);
    }
    nlohmann::ordered_json object;
    object["date"] = day.date;
    object["timeframes"] = std::move(timeframes);
    object["lastUpdateTime"] = encodeDate(day.lastUpdateTime);
    object["appUsage"] = numberMapJSON(day.appUsage);
    object["totalDuration"] = day.totalDuration;
    object["categoryDurations"] = numberMapJSON(day.categoryDurations);
    return object;
}

// The day as the file writes it: its key, its object and a comma.
std::size_t writtenDaySize(const std::string& key, const DailyActivityData& day) {
    return compactJSON(nlohmann::ordered_json(key)).size() + 1 + compactJSON(dailyActivityJSON(day)).size() + 1;
}

void boundAnswers(DailyActivityData& day) {
    for (auto& [timeframe, answer] : day.timeframes) {
        answer.promptResponse = storedAnswerTextWithin(std::move(answer.promptResponse));
    }
}

bool hasAnswerPastItsBound(const DailyActivityStore& store) {
    for (const auto& [key, day] : store) {
        for (const auto& [timeframe, answer] : day.timeframes) {
            if (answer.promptResponse.size() > storedAnswerLimit) {
                return true;
            }
        }
    }
    return false;
}

bool isDayKey(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != 4 && i != 7 && !std::isdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string encodeDailyActivityStore(const DailyActivityStore& store) {
    nlohmann::ordered_json root = nlohmann::ordered_json::object();
    for (const auto& [key, day] : store) {
        root[key] = dailyActivityJSON(day);
    }
    return compactJSON(root);
}

DailyActivityStore decodeDailyActivityStore(std::string_view json) {
    const nlohmann::json root = parseJSON(json);
    if (!root.is_object()) {
        throw JSONDecodingError("", "expected an object of days");
    }
    DailyActivityStore store;
    for (const auto& [key, object] : root.items()) {
        DailyActivityData day;
        day.date = stringValue(requiredMember(object, "date", key), key + ".date");
        const nlohmann::json& timeframes = requiredMember(object, "timeframes", key);
        if (!timeframes.is_object()) {
            throw JSONDecodingError(key + ".timeframes", "expected an object");
        }
        for (const auto& [timeframe, entry] : timeframes.items()) {
            const std::string path = key + ".timeframes." + timeframe;
            day.timeframes[timeframe] = {stringValue(requiredMember(entry, "promptResponse", path), path + ".promptResponse"),
                                         decodeDate(requiredMember(entry, "lastUpdateTime", path))};
        }
        day.lastUpdateTime = decodeDate(requiredMember(object, "lastUpdateTime", key));
        day.appUsage = numberMap(requiredMember(object, "appUsage", key), key + ".appUsage");
        day.totalDuration = numberValue(requiredMember(object, "totalDuration", key), key + ".totalDuration");
        day.categoryDurations = numberMap(requiredMember(object, "categoryDurations", key), key + ".categoryDurations");
        store.emplace(key, std::move(day));
    }
    return store;
}

DailyActivityStore dailyActivityStoreWithin(DailyActivityStore store, const std::set<std::string>& alwaysKept,
                                            std::size_t budget) {
    DailyActivityStore kept;
    std::size_t used = 2; // the braces
    for (const std::string& key : alwaysKept) {
        if (const auto day = store.find(key); day != store.end()) {
            boundAnswers(day->second);
            used += writtenDaySize(key, day->second);
            kept.insert(store.extract(day));
        }
    }
    for (auto day = store.rbegin(); day != store.rend(); ++day) {
        boundAnswers(day->second);
        const std::size_t size = writtenDaySize(day->first, day->second);
        if (used + size > budget) {
            break;
        }
        used += size;
        kept.emplace(day->first, std::move(day->second));
    }
    return kept;
}

ActivityDataManager::ActivityDataManager(const Clock& clock,
                                         std::function<std::optional<fs::path>()> applicationFolder)
    : clock_(clock), applicationFolder_(std::move(applicationFolder)) {
    if (!applicationFolder_) {
        applicationFolder_ = []() -> std::optional<fs::path> {
            try {
                return applicationDataDirectory();
            } catch (const std::exception&) {
                return std::nullopt;
            }
        };
    }
    if (const auto folder = applicationFolder_()) {
        std::error_code ignored;
        fs::create_directories(*folder, ignored);
    }
}

ActivityDataManager& ActivityDataManager::shared() {
    std::shared_ptr<ActivityDataManager>& manager = sharedManager();
    if (!manager) {
        manager = std::make_shared<ActivityDataManager>(RunLoop::main().clock());
    }
    return *manager;
}

void ActivityDataManager::setShared(std::shared_ptr<ActivityDataManager> manager) {
    sharedManager() = std::move(manager);
}

std::optional<fs::path> ActivityDataManager::dataFilePath() const {
    const auto folder = applicationFolder_();
    if (!folder) {
        return std::nullopt;
    }
    return *folder / dataFileName;
}

std::string ActivityDataManager::entryKeyFor(const std::string& timeframe, Date now) const {
    return isDayKey(timeframe) ? timeframe : dayKey(now);
}

void ActivityDataManager::savePromptResponse(const std::string& response, const std::string& timeframe) {
    savePromptResponse(response, timeframe, clearMark());
}

bool ActivityDataManager::savePromptResponse(const std::string& response, const std::string& timeframe, ClearMark since) {
    if (clears_.clearedSince(since)) {
        return false;
    }
    const auto file = dataFilePath();
    if (!file) {
        printLine("DEBUG: No valid URL for saving data");
        return true;
    }
    const Date now = clock_.now();

    DailyActivityStore store;
    try {
        if (const auto bytes = readFile(*file)) {
            store = decodeDailyActivityStore(*bytes);
        }
    } catch (const std::exception& error) {
        // Keep what cannot be read instead of writing over it.
        try {
            moveUnreadableFileAside(*file, error.what());
        } catch (const std::exception& moveError) {
            printLine(std::string("DEBUG: Error saving prompt response: ") + moveError.what());
            return true;
        }
        store.clear();
    }

    const std::string key = entryKeyFor(timeframe, now);
    auto [entry, created] = store.try_emplace(key);
    DailyActivityData& day = entry->second;
    if (created) {
        day.date = key;
        day.lastUpdateTime = now;
    }
    day.timeframes[timeframe] = {response, now};
    day.date = key;
    day.lastUpdateTime = now;

    // Measured day by day only when the whole is past a bound, which a year of real answers is not.
    std::string encoded = encodeDailyActivityStore(store);
    if (encoded.size() > storedBytesBudget || hasAnswerPastItsBound(store)) {
        std::set<std::string> chartDayKeys;
        const Calendar calendar = Calendar::current();
        for (int back = 0; back < chartDays; ++back) {
            chartDayKeys.insert(dayKey(calendar.addingDays(now, -back)));
        }
        encoded = encodeDailyActivityStore(dailyActivityStoreWithin(std::move(store), chartDayKeys, storedBytesBudget));
    }

    try {
        std::error_code ignored;
        fs::create_directories(file->parent_path(), ignored);
        writeFileAtomically(*file, encoded);
    } catch (const std::exception& error) {
        printLine(std::string("DEBUG: Error saving prompt response: ") + error.what());
    }
    return true;
}

std::pair<std::optional<std::string>, bool> ActivityDataManager::loadPromptResponse(const std::string& timeframe) const {
    const auto file = dataFilePath();
    std::error_code ignored;
    if (!file || !fs::exists(*file, ignored)) {
        return {std::nullopt, true};
    }
    DailyActivityStore store;
    try {
        store = decodeDailyActivityStore(readFile(*file).value_or(""));
    } catch (const std::exception& error) {
        printLine(std::string("Error loading prompt response: ") + error.what());
        return {std::nullopt, true};
    }
    const Date now = clock_.now();
    const auto day = store.find(entryKeyFor(timeframe, now));
    if (day == store.end()) {
        return {std::nullopt, true};
    }
    const auto answer = day->second.timeframes.find(timeframe);
    if (answer == day->second.timeframes.end()) {
        return {std::nullopt, true};
    }
    const bool stale = now.timeIntervalSince(answer->second.lastUpdateTime) >= refreshInterval;
    return {answer->second.promptResponse, stale};
}

std::vector<std::optional<DailyActivityData>> ActivityDataManager::loadPastDaysData(int days) const {
    const std::size_t count = days > 0 ? static_cast<std::size_t>(days) : 0;
    std::vector<std::optional<DailyActivityData>> result(count);
    const auto file = dataFilePath();
    std::error_code ignored;
    if (!file || !fs::exists(*file, ignored)) {
        const std::string shown = file ? URL::fileURL(file->string()).absoluteString() : std::string();
        printLine("DEBUG: No data file exists at " + shown);
        return result;
    }
    DailyActivityStore store;
    try {
        store = decodeDailyActivityStore(readFile(*file).value_or(""));
    } catch (const std::exception& error) {
        printLine(std::string("DEBUG: Error loading past days data: ") + error.what());
        return result;
    }
    const Calendar calendar = Calendar::current();
    const Date now = clock_.now();
    for (std::size_t i = 0; i < count; ++i) {
        const auto day = store.find(dayKey(calendar.addingDays(now, -static_cast<int>(i))));
        if (day != store.end()) {
            result[i] = day->second;
        }
    }
    return result;
}

void ActivityDataManager::clearAllData() {
    clears_.cleared();
    const auto file = dataFilePath();
    std::error_code ignored;
    if (!file || !fs::exists(*file, ignored)) {
        return;
    }
    fs::remove(*file, ignored);
    systemLog("Cleared all daily activity data by deleting the file.");
}

} // namespace glimmo
