#include "app/ActivityDataManager.h"

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/RunLoop.h"

#include <cctype>
#include <set>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

std::shared_ptr<ActivityDataManager>& sharedManager() {
    static std::shared_ptr<ActivityDataManager> manager;
    return manager;
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
        store = takeStore(*file);
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

    std::set<std::string> chartDayKeys;
    const Calendar calendar = Calendar::current();
    for (int back = 0; back < chartDays; ++back) {
        chartDayKeys.insert(dayKey(calendar.addingDays(now, -back)));
    }
    DailyActivityFile within = dailyActivityFileWithin(std::move(store), chartDayKeys, storedBytesBudget);

    try {
        std::error_code ignored;
        fs::create_directories(file->parent_path(), ignored);
        writeFileAtomically(*file, within.text);
        known_ = KnownStore{fileIdentity(*file), std::move(within.store)};
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
    const DailyActivityStore* store = nullptr;
    try {
        store = &storeOf(*file);
    } catch (const std::exception& error) {
        printLine(std::string("Error loading prompt response: ") + error.what());
        return {std::nullopt, true};
    }
    const Date now = clock_.now();
    const auto day = store->find(entryKeyFor(timeframe, now));
    if (day == store->end()) {
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
    const DailyActivityStore* store = nullptr;
    try {
        store = &storeOf(*file);
    } catch (const std::exception& error) {
        printLine(std::string("DEBUG: Error loading past days data: ") + error.what());
        return result;
    }
    const Calendar calendar = Calendar::current();
    const Date now = clock_.now();
    for (std::size_t i = 0; i < count; ++i) {
        const auto day = store->find(dayKey(calendar.addingDays(now, -static_cast<int>(i))));
        if (day != store->end()) {
            result[i] = day->second;
        }
    }
    return result;
}

const DailyActivityStore& ActivityDataManager::storeOf(const fs::path& file) const {
    // Taken before the read: a file replaced meanwhile is then read again next time.
    const std::optional<FileIdentity> identity = fileIdentity(file);
    if (!known_ || !identity || known_->identity != identity) {
        known_.reset();
        const auto bytes = readFile(file);
        known_ = KnownStore{identity, bytes ? decodeDailyActivityStore(*bytes) : DailyActivityStore()};
    }
    return known_->store;
}

DailyActivityStore ActivityDataManager::takeStore(const fs::path& file) {
    storeOf(file);
    DailyActivityStore store = std::move(known_->store);
    known_.reset();
    return store;
}

void ActivityDataManager::clearAllData() {
    clears_.cleared();
    known_.reset();
    const auto file = dataFilePath();
    std::error_code ignored;
    if (!file || !fs::exists(*file, ignored)) {
        return;
    }
    fs::remove(*file, ignored);
    systemLog("Cleared all daily activity data by deleting the file.");
}

} // namespace glimmo
