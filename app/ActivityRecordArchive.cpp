#include "app/ActivityRecordArchive.h"

#include "app/ActivityRecordFile.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <system_error>
#include <unordered_set>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

constexpr const char* dayFileExtension = ".json";

std::string padded(int value, std::size_t width) {
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

// Whether `name` is a day file's: "yyyy-MM-dd.json".
bool isDayFileName(const std::string& name) {
    if (name.size() != 15 || name.compare(10, 5, dayFileExtension) != 0 || name[4] != '-' || name[7] != '-') {
        return false;
    }
    for (const std::size_t digit : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!std::isdigit(static_cast<unsigned char>(name[digit]))) return false;
    }
    return true;
}

Date endOf(const ActivityRecordValue& record) { return record.timestamp.addingTimeInterval(std::max(0.0, record.duration)); }

void widen(std::map<std::string, ArchivedDaySpan>& index, const std::string& day, const ActivityRecordValue& record) {
    const auto [entry, inserted] = index.try_emplace(day, ArchivedDaySpan{record.timestamp, endOf(record)});
    if (!inserted) {
        entry->second.earliestStart = std::min(entry->second.earliestStart, record.timestamp);
        entry->second.latestEnd = std::max(entry->second.latestEnd, endOf(record));
    }
}

// Newest first; records of the same moment keep their order.
void sortNewestFirst(std::vector<ActivityRecordValue>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const ActivityRecordValue& a, const ActivityRecordValue& b) { return b.timestamp < a.timestamp; });
}

} // namespace

ActivityRecordArchive::ActivityRecordArchive(fs::path folder) : folder_(std::move(folder)) {}

fs::path ActivityRecordArchive::folderBeside(const fs::path& recordFile) {
    return recordFile.parent_path() / (recordFile.stem().string() + " days");
}

std::string ActivityRecordArchive::dayName(Date date) { return dayName(date, Calendar::current()); }

std::string ActivityRecordArchive::dayName(Date date, const Calendar& calendar) {
    // A damaged timestamp centuries away still names a day of four-digit years.
    constexpr double earliest = -3.1e10; // the year 1019
    constexpr double latest = 2.2e11;    // the year 8972
    const Date named{std::clamp(date.secondsSinceReferenceDate, earliest, latest)};
    const DateComponents components = calendar.components(named);
    return padded(components.year, 4) + "-" + padded(components.month, 2) + "-" + padded(components.day, 2);
}

fs::path ActivityRecordArchive::dayFile(const std::string& day) const { return folder_ / (day + dayFileExtension); }

std::vector<ActivityRecordValue> ActivityRecordArchive::readDay(const std::string& day) const {
    const fs::path path = dayFile(day);
    try {
        const std::optional<std::string> bytes = readFile(path);
        return bytes ? decodeActivityRecords(*bytes) : std::vector<ActivityRecordValue>{};
    } catch (const std::exception& error) {
        // Logged where it is moved; what it held stays in the copy for the user.
        moveUnreadableFileAside(path, error.what());
        return {};
    }
}

std::vector<ActivityRecordValue> ActivityRecordArchive::readDayLeavingOutFailures(const std::string& day) const {
    try {
        return readDay(day);
    } catch (const std::exception& error) {
        systemLog("❌ Archived activity records of " + day + " left out: " + dayFile(day).string() +
                  " cannot be read or moved aside (" + error.what() + ")");
        return {};
    }
}

void ActivityRecordArchive::writeIndex(const Index& index, WriteDurability durability) const {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [day, span] : index) {
        object[day] = {{"earliestStart", encodeDate(span.earliestStart)}, {"latestEnd", encodeDate(span.latestEnd)}};
    }
    fs::create_directories(folder_);
    writeFileAtomically(folder_ / indexFileName, prettyJSON(object), durability);
}

void ActivityRecordArchive::loadIndexIfNeeded() const {
    if (indexLoaded_) {
        return;
    }
    std::error_code error;
    if (!fs::is_directory(folder_, error)) {
        index_.clear();
        indexLoaded_ = true;
        return;
    }
    Index read;
    try {
        if (const std::optional<std::string> bytes = readFile(folder_ / indexFileName)) {
            const nlohmann::json object = parseJSON(*bytes);
            for (const auto& [day, span] : object.items()) {
                read[day] = {decodeDate(span.at("earliestStart")), decodeDate(span.at("latestEnd"))};
            }
        }
    } catch (const std::exception& failure) {
        // The index only says where to look; the day files say it again.
        systemLog("⚠️ The index of archived activity records " + (folder_ / indexFileName).string() +
                  " cannot be read (" + failure.what() + "); it is rebuilt from the day files");
        read.clear();
    }
    // Each day file counts with its own span: one the index lacks (an index lost or older than the
    // file) is read once for it, an entry without its file goes.
    Index index;
    for (fs::directory_iterator entry(folder_, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!isDayFileName(name)) {
            continue;
        }
        const std::string day = name.substr(0, 10);
        if (const auto known = read.find(day); known != read.end()) {
            index.insert(*known);
            continue;
        }
        for (const ActivityRecordValue& record : readDayLeavingOutFailures(day)) {
            widen(index, day, record);
        }
    }
    index_ = std::move(index);
    indexLoaded_ = true;
    if (index_ != read) {
        try {
            writeIndex(index_);
        } catch (const std::exception& failure) {
            systemLog(std::string("❌ Failed to write the index of archived activity records: ") + failure.what());
        }
    }
}

std::vector<std::string> ActivityRecordArchive::add(const std::vector<ActivityRecordValue>& records,
                                                   WriteDurability durability) {
    if (records.empty()) {
        return {};
    }
    const std::lock_guard lock(mutex_);
    loadIndexIfNeeded();
    const Calendar calendar = Calendar::current();
    std::map<std::string, std::vector<const ActivityRecordValue*>> byDay;
    for (const ActivityRecordValue& record : records) {
        byDay[dayName(record.timestamp, calendar)].push_back(&record);
    }
    Index widened = index_;
    for (const auto& [day, dayRecords] : byDay) {
        for (const ActivityRecordValue* record : dayRecords) {
            widen(widened, day, *record);
        }
    }
    // Wider first: a day file that is written and not yet indexed would be missed by every reader.
    if (widened != index_) {
        writeIndex(widened, durability);
        index_ = std::move(widened);
    }
    for (const auto& [day, dayRecords] : byDay) {
        std::vector<ActivityRecordValue> merged;
        std::unordered_set<UUID> given;
        for (const ActivityRecordValue* record : dayRecords) {
            if (given.insert(record->id).second) {
                merged.push_back(*record);
            }
        }
        for (ActivityRecordValue& held : readDay(day)) {
            if (given.count(held.id) == 0) {
                merged.push_back(std::move(held));
            }
        }
        sortNewestFirst(merged);
        writeFileAtomically(dayFile(day), encodeActivityRecords(merged), durability);
    }
    std::vector<std::string> days;
    for (const auto& entry : byDay) {
        days.push_back(entry.first);
    }
    return days;
}

void ActivityRecordArchive::removeAll() {
    const std::lock_guard lock(mutex_);
    std::error_code error;
    std::vector<fs::path> ours;
    for (fs::directory_iterator entry(folder_, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        // Copies set aside as unreadable stay, as beside the record file.
        if (isDayFileName(name) || name == indexFileName || name.find(".tmp-") != std::string::npos) {
            ours.push_back(entry->path());
        }
    }
    for (const fs::path& path : ours) {
        fs::remove(path, error);
    }
    fs::remove(folder_, error); // only when nothing else is left in it
    index_.clear();
    indexLoaded_ = true;
}

void ActivityRecordArchive::expectAdd() {
    const std::lock_guard lock(mutex_);
    ++expectedAdds_;
}

void ActivityRecordArchive::settleAdd() {
    {
        const std::lock_guard lock(mutex_);
        --expectedAdds_;
    }
    settled_.notify_all();
}

std::vector<ActivityRecordValue> ActivityRecordArchive::recordsWithin(Date start, Date end) const {
    std::unique_lock lock(mutex_);
    // Records that left memory for the archive are read from it: a window asked for in between waits.
    settled_.wait(lock, [this] { return expectedAdds_ == 0; });
    loadIndexIfNeeded();
    std::vector<ActivityRecordValue> found;
    std::unordered_set<UUID> seen;
    for (auto day = index_.rbegin(); day != index_.rend(); ++day) {
        if (end < day->second.earliestStart || day->second.latestEnd < start) {
            continue;
        }
        for (ActivityRecordValue& record : readDayLeavingOutFailures(day->first)) {
            if (!(end < record.timestamp) && !(endOf(record) < start) && seen.insert(record.id).second) {
                found.push_back(std::move(record));
            }
        }
    }
    sortNewestFirst(found);
    return found;
}

std::map<std::string, ArchivedDaySpan> ActivityRecordArchive::days() const {
    const std::lock_guard lock(mutex_);
    loadIndexIfNeeded();
    return index_;
}

} // namespace glimmo
