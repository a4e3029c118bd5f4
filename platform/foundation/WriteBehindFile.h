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
#include <vector>

namespace glimmo {

// A file written behind its owner, on a thread of its own, so that the owner's thread never waits
// for the disk. Each request hands over how to make the file's whole content; the content is made
// and written (atomically, creating the folder) on that thread. A write begins as soon as the one
// before it ended, and requests made meanwhile are coalesced: only the latest is made and written.
// Whatever a request holds is let go on that thread as well, so a large content costs its owner nothing.
class WriteBehindFile {
public:
    using Content = std::function<std::string()>;
    // The line logged for a failed write; a run of the same failure is logged once.
    using FailureLine = std::function<std::string(const std::exception&)>;

    WriteBehindFile(std::filesystem::path file, FailureLine failureLine);
    // Writes what is still requested.
    ~WriteBehindFile();
    WriteBehindFile(const WriteBehindFile&) = delete;
    WriteBehindFile& operator=(const WriteBehindFile&) = delete;

    // `content` runs on the writer's thread (or never, when a later request overtakes it).
    void write(Content content);
    // Returns once every request made so far is written or its write has failed.
    void flush();

private:
    void writeLatest();

    const std::filesystem::path file_;
    const FailureLine failureLine_;
    RepeatedFailureLog failures_; // the writer's thread only

    std::mutex mutex_;
    std::condition_variable finished_;
    Content latest_;
    // Requests overtaken before they were written: what they hold is let go on the writer's thread too.
    std::vector<Content> overtaken_;
    std::uint64_t requests_ = 0;
    std::uint64_t requestsWritten_ = 0;
    bool writeQueued_ = false;
    // Last: its thread ends, after the writes still queued, before the rest goes.
    BackgroundQueue writer_;
};

} // namespace glimmo
