#include "app/ActivityRecordFile.h"

#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordConversion.h"
#include "app/ActivityRecordDecoding.h"
#include "app/ActivityRecordStream.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonReading.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <variant>

namespace glimmo {
namespace {

double recordSeconds(double seconds) { return std::clamp(seconds, 0.0, longestRecordSeconds); }

std::atomic<std::size_t> wholeReadLimitInForce{ActivityRecordFile::wholeReadLimit};

// One record as the file's pretty array holds it: the object's own pretty text, each line indented once
// more (a JSON string holds no raw line break).
std::string encodedRecordElement(const ActivityRecordValue& record) {
    nlohmann::ordered_json object;
    object["id"] = record.id.uuidString();
    object["appName"] = record.appName;
    object["timestamp"] = encodeDate(record.timestamp);
    object["duration"] = record.duration;
    object["activeTime"] = record.activeTime;
    object["windowText"] = record.windowText;
    const std::string text = prettyJSON(object);
    std::string element = "  ";
    element.reserve(text.size() + 16);
    for (const char c : text) {
        element += c;
        if (c == '\n') {
            element += "  ";
        }
    }
    return element;
}

// The pretty array of the elements, as prettyJSON writes an array.
std::string joinedRecordElements(const std::vector<const std::string*>& elements) {
    if (elements.empty()) {
        return "[]";
    }
    std::size_t size = 4;
    for (const std::string* element : elements) {
        size += element->size() + 2;
    }
    std::string text;
    text.reserve(size);
    text += "[\n";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        text += *elements[i];
        text += i + 1 < elements.size() ? ",\n" : "\n";
    }
    text += "]";
    return text;
}

// The record file's text from the texts of its records, each kept while its shared value stays the
// same: a save after a switch or an analysis encodes the records that changed, not the two days.
class EncodedRecords {
public:
    std::string encode(const ActivityRecordSnapshot& records) {
        std::unordered_map<UUID, Entry> next;
        next.reserve(records.size());
        std::deque<std::string> repeated;
        std::vector<const std::string*> parts;
        parts.reserve(records.size());
        for (const auto& record : records) {
            auto held = entries_.find(record->id);
            Entry entry = held != entries_.end() && held->second.value == record
                              ? std::move(held->second)
                              : Entry{record, encodedRecordElement(*record)};
            const auto [placed, inserted] = next.try_emplace(record->id, std::move(entry));
            if (inserted) {
                parts.push_back(&placed->second.text);
            } else {
                parts.push_back(&repeated.emplace_back(encodedRecordElement(*record))); // an id listed twice
            }
        }
        std::string text = joinedRecordElements(parts);
        entries_ = std::move(next);
        return text;
    }

private:
    struct Entry {
        std::shared_ptr<const ActivityRecordValue> value;
        std::string text;
    };
    std::unordered_map<UUID, Entry> entries_;
};

ActivityRecordSnapshot snapshotOfValues(std::vector<ActivityRecordValue> values) {
    ActivityRecordSnapshot snapshot;
    snapshot.reserve(values.size());
    for (ActivityRecordValue& value : values) {
        snapshot.push_back(std::make_shared<const ActivityRecordValue>(std::move(value)));
    }
    return snapshot;
}

} // namespace

ActivityRecordValue decodeActivityRecord(const nlohmann::json& object, const std::string& path) {
    if (!object.is_object()) {
        throw JSONDecodingError(path, "expected an object");
    }
    ActivityRecordValue record;
    const std::optional<UUID> id = UUID::parse(stringValue(requiredMember(object, "id", path), path + ".id"));
    if (!id) {
        throw JSONDecodingError(path + ".id", "not a valid UUID");
    }
    record.id = *id;
    record.appName = stringValue(requiredMember(object, "appName", path), path + ".appName");
    record.timestamp = Date{numberValue(requiredMember(object, "timestamp", path), path + ".timestamp")};
    record.duration = recordSeconds(numberValue(requiredMember(object, "duration", path), path + ".duration"));
    const nlohmann::json* activeTime = optionalMember(object, "activeTime");
    record.activeTime =
        activeTime && !activeTime->is_null() ? recordSeconds(numberValue(*activeTime, path + ".activeTime")) : 0;
    const nlohmann::json* windowText = optionalMember(object, "windowText");
    record.windowText = windowText && !windowText->is_null() ? stringValue(*windowText, path + ".windowText")
                                                             : std::string(windowTextState::pending);
    return record;
}

std::string encodeActivityRecords(const std::vector<ActivityRecordValue>& records) {
    ActivityRecordSnapshot snapshot;
    snapshot.reserve(records.size());
    for (const ActivityRecordValue& record : records) {
        snapshot.push_back(std::make_shared<const ActivityRecordValue>(record));
    }
    return encodeActivityRecords(snapshot);
}

std::string encodeActivityRecords(const ActivityRecordSnapshot& records) {
    std::vector<std::string> elements;
    elements.reserve(records.size());
    for (const auto& record : records) {
        elements.push_back(encodedRecordElement(*record));
    }
    std::vector<const std::string*> parts;
    parts.reserve(elements.size());
    for (const std::string& element : elements) {
        parts.push_back(&element);
    }
    return joinedRecordElements(parts);
}

std::vector<ActivityRecordValue> decodeActivityRecords(std::string_view json) {
    const nlohmann::json array = parseJSON(json);
    if (!array.is_array()) {
        throw JSONDecodingError("", "expected an array of records");
    }
    std::vector<ActivityRecordValue> records;
    records.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) {
        records.push_back(decodeActivityRecord(array[i], "[" + std::to_string(i) + "]"));
    }
    return records;
}

// One background thread that performs the queued operations in order. Operations are numbered as they
// are queued; `done` is the number of the last one finished (or skipped for a newer one).
struct ActivityRecordFile::Writer {
    struct Save {
        ActivityRecordSnapshot records;
    };
    struct Archive {
        ActivityRecordSnapshot records;
    };
    struct Remove {};
    struct Convert {
        ActivityRecordConversion conversion;
    };
    using Operation = std::variant<Save, Archive, Remove, Convert>;

    Writer(std::filesystem::path path, std::shared_ptr<ActivityRecordArchive> archive)
        : path(std::move(path)), archive(std::move(archive)) {}

    ~Writer() {
        stopConversion = true; // what is queued is written, but the quit does not wait for a conversion
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (thread.joinable()) {
            thread.join();
        }
    }

    void enqueue(Operation operation) {
        {
            const std::lock_guard lock(mutex);
            if (std::holds_alternative<Remove>(operation)) {
                // It deletes whatever they would write.
                for (const Operation& waiting : pending) {
                    if (!std::holds_alternative<Save>(waiting)) archive->settleAdd();
                }
                pending.clear();
            } else if (std::holds_alternative<Save>(operation)) {
                // Each save holds the whole list: the newest makes those still waiting useless. An
                // archiving or a conversion still waiting stays before it.
                std::erase_if(pending, [](const Operation& waiting) { return std::holds_alternative<Save>(waiting); });
            }
            pending.push_back(std::move(operation));
            ++queued;
            if (!thread.joinable()) {
                thread = std::thread([this] { run(); });
            }
        }
        changed.notify_all();
    }

    void waitUntilDone() {
        std::unique_lock lock(mutex);
        const std::uint64_t target = queued;
        changed.wait(lock, [&] { return done >= target; });
    }

    void run() {
        // A day file that a killed write was for may never be written again: its temporary file would
        // stay for good.
        removeInterruptedWrites(archive->folder());
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return !pending.empty() || stopping; });
            if (pending.empty()) {
                return; // stopping with nothing left to write
            }
            std::optional<Operation> operation = std::move(pending.front());
            pending.pop_front();
            // Everything queued before the next one waiting is done once this one is.
            const std::uint64_t number = queued - pending.size();
            lock.unlock();
            perform(*operation);
            // Released before the write counts as done: a save that follows a flush would
            // otherwise take references to the same records while this thread drops them, and
            // the two threads would fight over them.
            operation.reset();
            lock.lock();
            done = number;
            changed.notify_all();
        }
    }

    // Archives the records that earlier archiving could not; false when that fails again.
    bool archiveLeftovers() {
        if (unarchived.empty()) {
            return true;
        }
        try {
            archive->add(unarchived);
            unarchived.clear();
            return true;
        } catch (const std::exception& error) {
            failures.failed(error, "❌ Failed to archive activity records in " + archive->folder().string() + ": " +
                                       withoutTemporaryFileName(error));
            return false;
        }
    }

    void perform(const Operation& operation) {
        if (const auto* converting = std::get_if<Convert>(&operation)) {
            const ConversionEnd end = convertRecordFile(converting->conversion, *archive, stopConversion);
            unconvertedFileStays = end == ConversionEnd::stopped;
            if (end == ConversionEnd::failed) {
                blocked = true;
            }
            archive->settleAdd();
            return;
        }
        if (blocked) {
            if (std::holds_alternative<Archive>(operation)) archive->settleAdd();
            return;
        }
        if (const auto* archiving = std::get_if<Archive>(&operation)) {
            for (const auto& record : archiving->records) {
                unarchived.push_back(*record);
            }
            if (archiveLeftovers()) {
                failures.succeeded();
            }
            archive->settleAdd();
            return;
        }
        if (const auto* save = std::get_if<Save>(&operation); save && unconvertedFileStays) {
            // The file still holds every record and must stay whole: the list goes into its days, from
            // where the next start takes the live ones back.
            for (const auto& record : save->records) {
                unarchived.push_back(*record);
            }
            if (archiveLeftovers()) {
                failures.succeeded();
            }
            return;
        }
        try {
            if (const auto* save = std::get_if<Save>(&operation)) {
                // Records that could not go to their days stay in the file until they can.
                archiveLeftovers();
                std::filesystem::create_directories(path.parent_path());
                writeFileAtomically(path, encoded.encode(withLeftovers(save->records)));
            } else {
                unarchived.clear();
                encoded = {};
                unconvertedFileStays = false;
                std::error_code ignored;
                std::filesystem::remove(path, ignored);
                archive->removeAll();
            }
            if (unarchived.empty()) {
                failures.succeeded();
            }
        } catch (const std::exception& error) {
            // Memory keeps the records; the next save writes the whole list again. A failure that
            // repeats with every save (a full disk) is logged once, until a write succeeds again.
            failures.failed(error, "❌ Failed to save activity records to " + path.string() + ": " + error.what());
        }
    }

    ActivityRecordSnapshot withLeftovers(const ActivityRecordSnapshot& records) const {
        if (unarchived.empty()) {
            return records;
        }
        ActivityRecordSnapshot all = records;
        std::unordered_set<UUID> listed;
        for (const auto& record : records) {
            listed.insert(record->id);
        }
        for (const ActivityRecordValue& record : unarchived) {
            if (listed.insert(record.id).second) {
                all.push_back(std::make_shared<const ActivityRecordValue>(record));
            }
        }
        return all;
    }

    const std::filesystem::path path;
    const std::shared_ptr<ActivityRecordArchive> archive;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Operation> pending;
    std::uint64_t queued = 0;
    std::uint64_t done = 0;
    bool stopping = false;
    std::atomic<bool> stopConversion = false;
    // Set once, from any thread; read by both.
    std::atomic<bool> blocked = false;
    // The writer thread's own: whether a stopped conversion left the old file that nothing may replace,
    // records archiving failed for, and the failures logged.
    bool unconvertedFileStays = false;
    std::vector<ActivityRecordValue> unarchived;
    EncodedRecords encoded;
    RepeatedFailureLog failures;
    std::thread thread;
};

ActivityRecordFile::ActivityRecordFile(std::filesystem::path path)
    : path_(std::move(path)),
      archive_(std::make_shared<ActivityRecordArchive>(ActivityRecordArchive::folderBeside(path_))),
      writer_(std::make_unique<Writer>(path_, archive_)) {}

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
        setAside(error.what());
        return std::nullopt;
    }
}

std::optional<std::vector<ActivityRecordValue>> ActivityRecordFile::loadLive(
    Date liveStart, const std::function<void(ActivityRecordValue&)>& prepare) {
    flush();
    try {
        const std::optional<FileStart> start = readFileStart(path_, 0);
        if (start && start->size > wholeReadLimitInForce) {
            return startConversion(liveStart, prepare);
        }
    } catch (const std::exception& error) {
        setAside(error.what());
        return std::nullopt;
    }
    std::optional<std::vector<ActivityRecordValue>> records = load();
    if (!records) {
        return std::nullopt;
    }
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
    if (!older.empty()) {
        // The days go first; the file without them follows, once they are written.
        archiveRecords(std::move(older));
        save(live);
    }
    return live;
}

bool moveRecordFileAside(const std::filesystem::path& file, const std::string& reason) {
    try {
        moveUnreadableFileAside(file, reason);
        return true;
    } catch (const std::exception& error) {
        systemLog("❌ Activity records will not be saved: " + file.string() + " cannot be read or moved aside (" +
                  error.what() + ")");
        return false;
    }
}

void ActivityRecordFile::setAside(const std::string& reason) {
    if (!moveRecordFileAside(path_, reason)) {
        blockWrites();
    }
}

void ActivityRecordFile::blockWrites() { writer_->blocked = true; }

bool ActivityRecordFile::writesBlocked() const { return writer_->blocked; }

void ActivityRecordFile::queueConversion(ActivityRecordConversion conversion) {
    if (writesBlocked()) {
        return;
    }
    // Reports read the days it fills: they wait for it.
    archive_->expectAdd();
    writer_->enqueue(Writer::Convert{std::move(conversion)});
}

void ActivityRecordFile::stopConversion() { writer_->stopConversion = true; }

void ActivityRecordFile::save(ActivityRecordSnapshot records) {
    if (writesBlocked()) {
        return;
    }
    writer_->enqueue(Writer::Save{std::move(records)});
}

void ActivityRecordFile::save(const std::vector<ActivityRecordValue>& records) {
    save(snapshotOfValues(records));
}

void ActivityRecordFile::archiveRecords(ActivityRecordSnapshot records) {
    if (writesBlocked() || records.empty()) {
        return;
    }
    archive_->expectAdd();
    writer_->enqueue(Writer::Archive{std::move(records)});
}

void ActivityRecordFile::remove() {
    if (writesBlocked()) {
        return;
    }
    writer_->enqueue(Writer::Remove{});
}

void ActivityRecordFile::flush() {
    writer_->waitUntilDone();
}

} // namespace glimmo
