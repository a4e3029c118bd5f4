#include "platform/foundation/WriteBehindFile.h"

#include "platform/foundation/Files.h"

namespace glimmo {

WriteBehindFile::WriteBehindFile(std::filesystem::path file, FailureLine failureLine)
    : file_(std::move(file)), failureLine_(std::move(failureLine)) {}

void WriteBehindFile::write(Content content) {
    Content overtaken; // goes here, after the lock
    {
        const std::lock_guard lock(mutex_);
        (firstOvertaken_ ? overtaken : firstOvertaken_) = std::exchange(latest_, std::move(content));
        ++requests_;
        if (writeQueued_) {
            return;
        }
        writeQueued_ = true;
        ++writesHandedOver_;
    }
    writer_.post([this] { writeLatest(); });
}

void WriteBehindFile::flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t made = requests_;
    finished_.wait(lock, [&] { return requestsWritten_ >= made; });
}

std::uint64_t WriteBehindFile::writesHandedOver() {
    const std::lock_guard lock(mutex_);
    return writesHandedOver_;
}

void WriteBehindFile::writeLatest() {
    Content content;
    Content overtaken;
    std::uint64_t request = 0;
    {
        const std::lock_guard lock(mutex_);
        content = std::exchange(latest_, nullptr);
        overtaken = std::exchange(firstOvertaken_, nullptr);
        request = requests_;
        writeQueued_ = false;
    }
    // Nothing requested since the last write took it: there is nothing to write, and no failure.
    if (content) {
        try {
            std::filesystem::create_directories(file_.parent_path());
            writeFileAtomically(file_, content());
            failures_.succeeded();
        } catch (const std::exception& error) {
            failures_.failed(error, failureLine_(error));
        }
    }
    // What they held goes here, not under the lock.
    content = nullptr;
    overtaken = nullptr;
    const std::lock_guard lock(mutex_);
    requestsWritten_ = request;
    finished_.notify_all();
}

} // namespace glimmo
