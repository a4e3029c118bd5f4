#include "app/ActivityRecordFile.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonReading.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <variant>

namespace glimmo {
namespace {

double recordSeconds(double seconds) { return std::clamp(seconds, 0.0, longestRecordSeconds); }

ActivityRecordValue decodeRecord(const nlohmann::json& object, const std::string& path) {
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

} // namespace

std::string encodeActivityRecords(const std::vector<ActivityRecordValue>& records) {
    ActivityRecordSnapshot snapshot;
    snapshot.reserve(records.size());
    for (const ActivityRecordValue& record : records) {
        snapshot.push_back(std::make_shared<const ActivityRecordValue>(record));
    }
    return encodeActivityRecords(snapshot);
}

std::string encodeActivityRecords(const ActivityRecordSnapshot& records) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& pointer : records) {
        const ActivityRecordValue& record = *pointer;
        nlohmann::ordered_json object;
        object["id"] = record.id.uuidString();
        object["appName"] = record.appName;
        object["timestamp"] = encodeDate(record.timestamp);
        object["duration"] = record.duration;
        object["activeTime"] = record.activeTime;
        object["windowText"] = record.windowText;
        array.push_back(std::move(object));
    }
    return prettyJSON(array);
}

std::vector<ActivityRecordValue> decodeActivityRecords(std::string_view json) {
    const nlohmann::json array = parseJSON(json);
    if (!array.is_array()) {
        throw JSONDecodingError("", "expected an array of records");
    }
    std::vector<ActivityRecordValue> records;
    records.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) {
        records.push_back(decodeRecord(array[i], "[" + std::to_string(i) + "]"));
    }
    return records;
}

// One background thread that performs the newest queued operation. Operations are numbered as they
// are queued; `done` is the number of the last one finished (or skipped for a newer one).
struct ActivityRecordFile::Writer {
    struct Remove {};
    using Operation = std::variant<ActivityRecordSnapshot, Remove>;

    explicit Writer(std::filesystem::path path) : path(std::move(path)) {}

    ~Writer() {
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
            pending = std::move(operation);
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
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return pending.has_value() || stopping; });
            if (!pending) {
                return; // stopping with nothing left to write
            }
            std::optional<Operation> operation = std::move(pending);
            pending.reset();
            const std::uint64_t number = queued;
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

    void perform(const Operation& operation) {
        try {
            if (const auto* records = std::get_if<ActivityRecordSnapshot>(&operation)) {
                const std::string bytes = encodeActivityRecords(*records);
                std::filesystem::create_directories(path.parent_path());
                writeFileAtomically(path, bytes);
            } else {
                std::error_code ignored;
                std::filesystem::remove(path, ignored);
            }
            failures.succeeded();
        } catch (const std::exception& error) {
            // Memory keeps the records; the next save writes the whole list again. A failure that
            // repeats with every save (a full disk) is logged once, until a write succeeds again.
            failures.failed(error, "❌ Failed to save activity records to " + path.string() + ": " + error.what());
        }
    }

    const std::filesystem::path path;
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Operation> pending;
    std::uint64_t queued = 0;
    std::uint64_t done = 0;
    bool stopping = false;
    RepeatedFailureLog failures; // the writer thread's own
    std::thread thread;
};

ActivityRecordFile::ActivityRecordFile(std::filesystem::path path)
    : path_(std::move(path)), writer_(std::make_unique<Writer>(path_)) {}

ActivityRecordFile::~ActivityRecordFile() = default;

std::filesystem::path ActivityRecordFile::defaultPath() {
    return documentsDirectory() / fileName;
}

std::optional<std::vector<ActivityRecordValue>> ActivityRecordFile::load() {
    // A load must see the writes queued before it.
    flush();
    std::optional<std::string> bytes;
    try {
        bytes = readFile(path_);
    } catch (const std::exception& error) {
        setAside(error.what());
        return std::nullopt;
    }
    if (!bytes) {
        systemLog("No saved activity records found");
        return std::nullopt;
    }
    try {
        return decodeActivityRecords(*bytes);
    } catch (const std::exception& error) {
        setAside(error.what());
        return std::nullopt;
    }
}

void ActivityRecordFile::setAside(const std::string& reason) {
    try {
        moveUnreadableFileAside(path_, reason);
    } catch (const std::exception& error) {
        // Writing now would destroy the only copy of the user's history.
        writesBlocked_ = true;
        systemLog("❌ Activity records will not be saved: " + path_.string() + " cannot be read or moved aside (" +
                  error.what() + ")");
    }
}

void ActivityRecordFile::save(ActivityRecordSnapshot records) {
    if (writesBlocked_) {
        return;
    }
    writer_->enqueue(std::move(records));
}

void ActivityRecordFile::save(const std::vector<ActivityRecordValue>& records) {
    ActivityRecordSnapshot snapshot;
    snapshot.reserve(records.size());
    for (const ActivityRecordValue& record : records) {
        snapshot.push_back(std::make_shared<const ActivityRecordValue>(record));
    }
    save(std::move(snapshot));
}

void ActivityRecordFile::remove() {
    if (writesBlocked_) {
        return;
    }
    writer_->enqueue(Writer::Remove{});
}

void ActivityRecordFile::flush() {
    writer_->waitUntilDone();
}

} // namespace glimmo
