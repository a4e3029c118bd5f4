#pragma once

#include "app/ArchiveDayNames.h"
#include "platform/foundation/Files.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace glimmo::testing {

// Whether the temporary file of an atomic write is for one of the archive's day files.
inline bool isDayFileWrite(const std::filesystem::path& temporary) {
    return dayOfFileName(temporary.filename().string().substr(1, 15)).has_value(); // ".2026-12-07.json.tmp-…"
}

// Holds the atomic writes of every other thread than the test's (the record file's writer) from the
// first one on, until released.
class HeldWrites {
public:
    HeldWrites() {
        setAtomicWriteHookForTesting([this, test = std::this_thread::get_id()](const std::filesystem::path& temporary) {
            if (std::this_thread::get_id() == test) return;
            std::unique_lock lock(mutex_);
            daysWrittenAfterRelease += released_ && isDayFileWrite(temporary) ? 1 : 0;
            entered_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
        });
    }
    ~HeldWrites() {
        release();
        setAtomicWriteHookForTesting({});
    }
    bool waitUntilOneIsHeld() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return entered_; });
    }
    void release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    int daysWrittenAfterRelease = 0; // under the lock

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
};

} // namespace glimmo::testing
