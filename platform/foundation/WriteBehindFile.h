#pragma once

#include "platform/runtime/BackgroundQueue.h"

#include "platform/foundation/Log.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

namespace glimmo {

// A file written behind its owner, on a thread of its own, so that the owner's thread never waits
// for the disk. Each request hands over how to make the file's whole content; the content is made
// and written (atomically, creating the folder) on that thread. A write begins as soon as the one
// before it ended, and requests made meanwhile are coalesced: only the latest is made and written.
//
// At most two requests wait, however long a write takes: the latest, and the first one made since the
// last write began, both let go on the writer's thread after the next write. One between them is let go
// by the call that overtakes it, on the owner's thread. An owner whose every request holds what it had
// before (UserDefaults: its values and the one the change replaced) so lets go off its own thread all it
// had when a write began, and on its own only what it made meanwhile and replaced again.
class WriteBehindFile {
public:
    using Content = std::function<std::string()>;
    // The line logged for a failed write; a run of the same failure is logged once.
    using FailureLine = std::function<std::string(const std::exception&)>;

    WriteBehindFile(std::filesystem::path file, FailureLine failureLine);
    // Writes what is still requested: its queue runs the write still posted before its thread ends.
    ~WriteBehindFile() = default;
    WriteBehindFile(const WriteBehindFile&) = delete;
    WriteBehindFile& operator=(const WriteBehindFile&) = delete;

    // `content` runs on the writer's thread (or never, when a later request overtakes it).
    void write(Content content);
    // Returns once every request made so far is written or its write has failed.
    void flush();
    // How many writes were handed to the writer's thread: one for each write it made, however many
    // requests came while one was under way, since only the first of them hands it one.
    std::uint64_t writesHandedOver();

private:
    void writeLatest();

    const std::filesystem::path file_;
    const FailureLine failureLine_;
    RepeatedFailureLog failures_; // the writer's thread only

    std::mutex mutex_;
    std::condition_variable finished_;
    Content latest_;
    Content firstOvertaken_;
    std::uint64_t requests_ = 0;
    std::uint64_t requestsWritten_ = 0;
    std::uint64_t writesHandedOver_ = 0;
    bool writeQueued_ = false;
    // Last: its thread ends, after the writes still queued, before the rest goes.
    BackgroundQueue writer_;
};

} // namespace glimmo
