#include "app/ActivityRecordWriter.h"

#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordClear.h"
#include "app/ActivityRecordCoding.h"
#include "app/ActivityRecordRecovery.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <variant>

namespace glimmo {
namespace {

using RecordsById = std::unordered_map<UUID, std::shared_ptr<const ActivityRecordValue>>;
using PendingChange = ActivityRecordArchive::PendingChange;

} // namespace

// Operations are numbered as they are queued; `done` is the number of the last one finished (or dropped
// for a newer one).
struct ActivityRecordWriter::State {
    struct Save {
        ActivityRecordSnapshot records;
    };
    struct Archive {
        ActivityRecordSnapshot records;
        PendingChange change;
    };
    struct Convert {
        ActivityRecordConversion conversion;
        PendingChange change;
    };
    struct Recover {
        std::function<void(ActivityRecordValue&)> prepare;
        PendingChange change;
    };
    struct Keep {
        ActivityRecordSnapshot known;
    };
    struct ClearLeft {
        std::vector<std::filesystem::path> files;
    };
    struct Clear {
        std::uint64_t asked; // the clears asked for when this one was
        PendingChange change;
    };
    using Operation = std::variant<Save, Archive, Convert, Recover, Keep, ClearLeft, Clear>;

    State(std::filesystem::path path, std::shared_ptr<ActivityRecordArchive> archive)
        : path(std::move(path)), archive(std::move(archive)) {}

    ~State() {
        stopLong = true; // what is queued is written, but the quit does not wait for a conversion
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
        std::deque<Operation> dropped; // let go outside the lock
        {
            const std::lock_guard lock(mutex);
            if (std::holds_alternative<Clear>(operation)) {
                // It removes whatever they would write, and their pending changes settle as they go.
                dropped.swap(pending);
            } else if (std::holds_alternative<Save>(operation)) {
                // Each save holds the whole list: the newest makes those still waiting useless. Anything
                // else still waiting stays before it.
                for (auto waiting = pending.begin(); waiting != pending.end();) {
                    if (std::holds_alternative<Save>(*waiting)) {
                        dropped.push_back(std::move(*waiting));
                        waiting = pending.erase(waiting);
                    } else {
                        ++waiting;
                    }
                }
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
            std::visit([this](auto& work) { perform(work); }, *operation);
            // Released before the write counts as done: a save that follows a flush would otherwise take
            // references to the same records while this thread drops them, and the two threads would
            // fight over them. A pending change settles here too, once its work is on disk.
            operation.reset();
            lock.lock();
            done = number;
            changed.notify_all();
        }
    }

    bool clearAsked() const { return clearsAsked.load() != clearsDone; }
    bool longWorkStops() const { return stopLong || clearAsked(); }

    // Puts the records on their way into their days; false when that fails (logged) or a clear stopped it.
    bool moveToDays() {
        if (toDays.empty()) {
            return true;
        }
        std::vector<ActivityRecordValue> records;
        records.reserve(toDays.size());
        for (const auto& [id, record] : toDays) {
            records.push_back(*record);
        }
        try {
            if (!archive->add(records, WriteDurability::durable, [this] { return clearAsked(); }).complete) {
                return false; // the clear takes them
            }
        } catch (const std::exception& error) {
            failures.failed(error, "❌ Failed to archive activity records in " + archive->folder().string() + ": " +
                                       withoutTemporaryFileName(error));
            return false;
        }
        if (fileMustStay) {
            for (auto& [id, record] : toDays) {
                inDays[id] = std::move(record);
            }
        }
        toDays.clear();
        return true;
    }

    // The list, and after it the records whose days could not be written: the file keeps them.
    ActivityRecordSnapshot withLeftovers(const ActivityRecordSnapshot& records) const {
        if (toDays.empty()) {
            return records;
        }
        ActivityRecordSnapshot all = records;
        std::unordered_set<UUID> listed;
        for (const auto& record : records) {
            listed.insert(record->id);
        }
        for (const auto& [id, record] : toDays) {
            if (listed.count(id) == 0) {
                all.push_back(record);
            }
        }
        return all;
    }

    void perform(Save& save) {
        if (fileMustStay) {
            // The file must stay as it is: what changed goes into the days, from where the next start
            // takes the live records back.
            for (const auto& record : save.records) {
                const auto known = inDays.find(record->id);
                if (known == inDays.end() || known->second != record) {
                    toDays[record->id] = record;
                }
            }
            if (moveToDays()) {
                failures.succeeded();
            }
            return;
        }
        // Records that could not go to their days stay in the file until they can.
        moveToDays();
        try {
            std::filesystem::create_directories(path.parent_path());
            writeFileAtomically(path, encoded.encode(withLeftovers(save.records)));
            if (const auto at = std::find(noted.begin(), noted.end(), path); at != noted.end()) {
                noted.erase(at); // it no longer holds what was cleared
                notePendingRemovals(path, noted);
            }
            if (toDays.empty()) {
                failures.succeeded();
            }
        } catch (const std::exception& error) {
            // Memory keeps the records; the next save writes the whole list again. A failure that repeats
            // with every save (a full disk) is logged once, until a write succeeds again.
            failures.failed(error, "❌ Failed to save activity records to " + path.string() + ": " + error.what());
        }
    }

    void perform(Archive& archiving) {
        for (const auto& record : archiving.records) {
            toDays[record->id] = record;
        }
        if (moveToDays()) {
            failures.succeeded();
        }
    }

    void perform(Convert& converting) {
        const ConversionEnd end = convertRecordFile(converting.conversion, *archive, [this] { return longWorkStops(); });
        if (end == ConversionEnd::stopped || end == ConversionEnd::failed) {
            fileMustStay = true;
            inDays = std::move(converting.conversion.kept);
        }
    }

    void perform(Recover& recovering) {
        recoverSetAsideRecordFiles(path, *archive, recovering.prepare, [this] { return longWorkStops(); });
    }

    void perform(Keep& keeping) {
        fileMustStay = true;
        for (const auto& record : keeping.known) {
            inDays[record->id] = record;
        }
    }

    void perform(ClearLeft& left) { noted = std::move(left.files); }

    void perform(Clear& clearing) {
        noted = clearRecordStore(path, *archive);
        fileMustStay = false;
        inDays.clear();
        toDays.clear();
        encoded = {};
        failures.succeeded();
        clearsDone = clearing.asked;
    }

    const std::filesystem::path path;
    const std::shared_ptr<ActivityRecordArchive> archive;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Operation> pending;
    std::uint64_t queued = 0;
    std::uint64_t done = 0;
    bool stopping = false;
    std::atomic<bool> stopLong = false;
    // Asked on any thread; done on the writer's once the clear is on disk.
    std::atomic<std::uint64_t> clearsAsked = 0;
    std::uint64_t clearsDone = 0;
    // The writer thread's own. Whether the file must stay as it is (a conversion stopped or failed, or a
    // file that could not be moved aside), and then what the days or that file hold of each record the
    // saves wrote; the records on their way to their days; the files a clear left, which its note names.
    bool fileMustStay = false;
    RecordsById inDays;
    RecordsById toDays;
    std::vector<std::filesystem::path> noted;
    EncodedRecords encoded;
    RepeatedFailureLog failures;
    std::thread thread;
};

ActivityRecordWriter::ActivityRecordWriter(std::filesystem::path file, std::shared_ptr<ActivityRecordArchive> archive)
    : state_(std::make_unique<State>(std::move(file), std::move(archive))) {}

ActivityRecordWriter::~ActivityRecordWriter() = default;

void ActivityRecordWriter::save(ActivityRecordSnapshot records) { state_->enqueue(State::Save{std::move(records)}); }

void ActivityRecordWriter::archive(ActivityRecordSnapshot records) {
    if (records.empty()) {
        return;
    }
    state_->enqueue(State::Archive{std::move(records), state_->archive->expectChange()});
}

void ActivityRecordWriter::convert(ActivityRecordConversion conversion) {
    state_->enqueue(State::Convert{std::move(conversion), state_->archive->expectChange()});
}

void ActivityRecordWriter::recover(std::function<void(ActivityRecordValue&)> prepare) {
    state_->enqueue(State::Recover{std::move(prepare), state_->archive->expectChange()});
}

void ActivityRecordWriter::keepFileAsItIs(ActivityRecordSnapshot known) {
    state_->enqueue(State::Keep{std::move(known)});
}

void ActivityRecordWriter::clearLeft(std::vector<std::filesystem::path> files) {
    state_->enqueue(State::ClearLeft{std::move(files)});
}

void ActivityRecordWriter::clear() {
    // Counted before it is queued: the work under way stops for it at once.
    const std::uint64_t asked = ++state_->clearsAsked;
    state_->enqueue(State::Clear{asked, state_->archive->expectChange()});
}

void ActivityRecordWriter::flush() { state_->waitUntilDone(); }

void ActivityRecordWriter::stopLongWork() { state_->stopLong = true; }

} // namespace glimmo
