#include "app/ActivityRecordArchive.h"

#include "app/ActivityRecordCoding.h"
#include "app/ArchiveDayNames.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

Date endOf(const ActivityRecordValue& record) { return record.timestamp.addingTimeInterval(std::max(0.0, record.duration)); }

void widen(std::map<std::string, ArchivedDaySpan>& index, const std::string& day, const ActivityRecordValue& record) {
    const auto [entry, inserted] = index.try_emplace(day, ArchivedDaySpan{record.timestamp, endOf(record)});
    if (!inserted) {
        entry->second.earliestStart = std::min(entry->second.earliestStart, record.timestamp);
        entry->second.latestEnd = std::max(entry->second.latestEnd, endOf(record));
    }
}

bool isSetAsideCopy(const std::string& name) { return name.find(".unreadable-") != std::string::npos; }

} // namespace

struct ActivityRecordArchive::PendingChange::Count {
    std::mutex mutex;
    std::condition_variable settled;
    std::size_t pending = 0;
};

ActivityRecordArchive::PendingChange& ActivityRecordArchive::PendingChange::operator=(PendingChange&& other) noexcept {
    PendingChange settling(std::move(*this));
    count_ = std::move(other.count_);
    return *this;
}

ActivityRecordArchive::PendingChange::~PendingChange() {
    if (!count_) {
        return;
    }
    {
        const std::lock_guard lock(count_->mutex);
        --count_->pending;
    }
    count_->settled.notify_all();
}

ActivityRecordArchive::ActivityRecordArchive(fs::path folder)
    : folder_(std::move(folder)), pending_(std::make_shared<PendingChange::Count>()) {}

fs::path ActivityRecordArchive::folderBeside(const fs::path& recordFile) {
    return recordFile.parent_path() / (recordFile.stem().string() + " days");
}

std::string ActivityRecordArchive::dayName(Date date) { return dayName(date, Calendar::current()); }

std::string ActivityRecordArchive::dayName(Date date, const Calendar& calendar) {
    const DateComponents components = calendar.components(dateForDayName(date));
    return dayNameOf(components.year, components.month, components.day);
}

fs::path ActivityRecordArchive::dayFile(const std::string& day) const { return folder_ / (day + dayFileExtension); }

void ActivityRecordArchive::setAsideUnlessRegularFile(const fs::path& path) const {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!error && fs::exists(status) && !fs::is_regular_file(status)) {
        // What it holds or names stays for the user, outside what the archive reads and writes.
        moveUnreadableFileAside(path, fs::is_symlink(status) ? "a symbolic link, not followed" : "not a regular file");
    }
}

std::vector<ActivityRecordValue> ActivityRecordArchive::readDay(const std::string& day) const {
    if (leftOut_.count(day) != 0) {
        return {};
    }
    const fs::path path = dayFile(day);
    try {
        const std::optional<std::string> bytes = readFile(path, SymbolicLinks::refused);
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
    const fs::path path = folder_ / indexFileName;
    setAsideUnlessRegularFile(path);
    writeFileAtomically(path, prettyJSON(object), durability, SymbolicLinks::refused);
}

void ActivityRecordArchive::writeDay(const std::string& day, std::vector<ActivityRecordValue> records,
                                     WriteDurability durability) {
    const fs::path path = dayFile(day);
    if (records.empty()) {
        std::error_code ignored;
        // A file that stays holds only records filed under other days as well, which readers count once.
        fs::remove(path, ignored);
        index_.erase(day);
    } else {
        sortNewestFirst(records);
        writeFileAtomically(path, encodeActivityRecords(records), durability, SymbolicLinks::refused);
    }
    leftOut_.erase(day);
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
    const fs::path indexPath = folder_ / indexFileName;
    try {
        setAsideUnlessRegularFile(indexPath);
        if (const std::optional<std::string> bytes = readFile(indexPath, SymbolicLinks::refused)) {
            const nlohmann::json object = parseJSON(*bytes);
            for (const auto& [day, span] : object.items()) {
                read[day] = {decodeDate(span.at("earliestStart")), decodeDate(span.at("latestEnd"))};
            }
        }
    } catch (const std::exception& failure) {
        // The index only says where to look; the day files say it again.
        systemLog("⚠️ The index of archived activity records " + indexPath.string() + " cannot be read (" +
                  failure.what() + "); it is rebuilt from the day files");
        read.clear();
    }
    // Each day file counts with its own span: one the index lacks (an index lost or older than the
    // file) is read once for it, an entry without its file goes.
    Index index;
    for (fs::directory_iterator entry(folder_, error), end; !error && entry != end; entry.increment(error)) {
        const std::optional<std::string> day = dayOfFileName(entry->path().filename().string());
        if (!day || leftOut_.count(*day) != 0) {
            continue;
        }
        if (const auto known = read.find(*day); known != read.end()) {
            index.insert(*known);
            continue;
        }
        for (const ActivityRecordValue& record : readDayLeavingOutFailures(*day)) {
            widen(index, *day, record);
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

ActivityRecordArchive::Added ActivityRecordArchive::add(const std::vector<ActivityRecordValue>& records,
                                                       WriteDurability durability, const StopRequest& stop) {
    Added added;
    if (records.empty()) {
        return added;
    }
    const std::lock_guard lock(mutex_);
    loadIndexIfNeeded();
    const Calendar calendar = Calendar::current();
    const auto refuseLeftOut = [&](const std::string& day) {
        if (leftOut_.count(day) != 0) {
            // Written now, the file would go with the cleared records at the next start.
            throw FileError(dayFile(day), "write over the cleared", EBUSY);
        }
    };
    // Each id once, filed under its day; the first of an id given twice wins.
    std::map<std::string, std::vector<const ActivityRecordValue*>> byDay;
    std::unordered_map<UUID, const std::string*> filedUnder;
    for (const ActivityRecordValue& record : records) {
        const auto [filed, inserted] = filedUnder.try_emplace(record.id, nullptr);
        if (!inserted) {
            continue;
        }
        const auto day = byDay.try_emplace(dayName(record.timestamp, calendar)).first;
        day->second.push_back(&record);
        filed->second = &day->first;
    }
    // The days on hand that another time zone may have filed these records under.
    std::set<std::string> others;
    for (const auto& [day, dayRecords] : byDay) {
        const auto [earliest, latest] = std::minmax_element(
            dayRecords.begin(), dayRecords.end(),
            [](const ActivityRecordValue* a, const ActivityRecordValue* b) { return a->timestamp < b->timestamp; });
        for (const std::string& other : dayNamesInAnyTimeZone((*earliest)->timestamp, (*latest)->timestamp)) {
            if (byDay.count(other) == 0 && index_.count(other) != 0 && leftOut_.count(other) == 0) {
                others.insert(other);
            }
        }
    }
    for (const auto& entry : byDay) {
        refuseLeftOut(entry.first);
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
    const auto filedElsewhere = [&](const std::string& day, const ActivityRecordValue& held) {
        const auto filed = filedUnder.find(held.id);
        return filed != filedUnder.end() && *filed->second != day;
    };
    // Every record in its day first; only then does a copy of it elsewhere go, so an interruption leaves
    // a record in two days (every reader counts it once), never in none.
    for (const auto& [day, dayRecords] : byDay) {
        if (stop && stop()) {
            added.complete = false;
            return added;
        }
        // Copied a day at a time: a conversion's batch is tens of megabytes.
        std::vector<ActivityRecordValue> merged;
        std::unordered_set<UUID> given;
        for (const ActivityRecordValue* record : dayRecords) {
            merged.push_back(*record);
            given.insert(record->id);
        }
        for (ActivityRecordValue& held : readDay(day)) {
            if (given.count(held.id) == 0 && !filedElsewhere(day, held)) {
                merged.push_back(std::move(held));
            }
        }
        writeDay(day, std::move(merged), durability);
        added.written.insert(day);
    }
    for (const std::string& day : others) {
        if (stop && stop()) {
            added.complete = false;
            return added;
        }
        std::vector<ActivityRecordValue> held = readDay(day);
        const auto moved = std::remove_if(held.begin(), held.end(),
                                          [&](const ActivityRecordValue& record) { return filedElsewhere(day, record); });
        if (moved != held.end()) {
            held.erase(moved, held.end());
            writeDay(day, std::move(held), durability);
            added.written.insert(day);
        }
    }
    return added;
}

bool ActivityRecordArchive::isOwnFileName(const std::string& name) {
    return dayOfFileName(name) || name == indexFileName || name == damagedCopiesFileName || isSetAsideCopy(name) ||
           name.find(".tmp-") != std::string::npos;
}

std::vector<fs::path> ActivityRecordArchive::ownFiles() const {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator entry(folder_, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code statusError;
        if (isOwnFileName(entry->path().filename().string()) &&
            !fs::is_directory(fs::symlink_status(entry->path(), statusError))) {
            files.push_back(entry->path());
        }
    }
    return files;
}

std::vector<fs::path> ActivityRecordArchive::removeAll() {
    const std::lock_guard lock(mutex_);
    std::vector<fs::path> left;
    for (const fs::path& path : ownFiles()) {
        std::error_code removal;
        if (!fs::remove(path, removal) && removal) {
            systemLog("❌ Failed to remove archived activity records " + path.string() + ": " + removal.message() +
                      "; it is removed at the next start");
            left.push_back(path);
            if (const std::optional<std::string> day = dayOfFileName(path.filename().string())) {
                leftOut_.insert(*day);
            }
        }
    }
    std::error_code error;
    fs::remove(folder_, error); // only when nothing else is left in it
    index_.clear();
    indexLoaded_ = true;
    return left;
}

void ActivityRecordArchive::leaveOut(const std::set<std::string>& days) {
    const std::lock_guard lock(mutex_);
    leftOut_.insert(days.begin(), days.end());
    indexLoaded_ = false;
}

std::set<std::string> ActivityRecordArchive::daysOnDisk() const {
    std::set<std::string> days;
    for (const fs::path& file : ownFiles()) {
        if (const std::optional<std::string> day = dayOfFileName(file.filename().string())) {
            days.insert(*day);
        }
    }
    return days;
}

void ActivityRecordArchive::removeDays(const std::set<std::string>& days) {
    const std::lock_guard lock(mutex_);
    for (const std::string& day : days) {
        std::error_code error;
        if (!fs::remove(dayFile(day), error) && error) {
            systemLog("❌ Failed to remove archived activity records " + dayFile(day).string() + ": " + error.message());
            continue;
        }
        index_.erase(day);
    }
}

ActivityRecordArchive::PendingChange ActivityRecordArchive::expectChange() {
    {
        const std::lock_guard lock(pending_->mutex);
        ++pending_->pending;
    }
    return PendingChange(pending_);
}

std::vector<ActivityRecordValue> ActivityRecordArchive::recordsWithin(Date start, Date end) const {
    {
        // Records that left memory for the archive are read from it, and a clear removes what it holds: a
        // window asked for in between waits.
        std::unique_lock waiting(pending_->mutex);
        pending_->settled.wait(waiting, [this] { return pending_->pending == 0; });
    }
    const std::lock_guard lock(mutex_);
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

} // namespace glimmo
