#include "platform/foundation/WriteBehindFile.h"

#include "platform/foundation/Files.h"

namespace glimmo {

WriteBehindFile::WriteBehindFile(std::filesystem::path file, FailureLine failureLine)
    : file_(std::move(file)), failureLine_(std::move(failureLine)) {}

WriteBehindFile::~WriteBehindFile() { flush(); }

void WriteBehindFile::write(Content content) {
    {
        const std::lock_guard lock(mutex_);
        if (latest_) {
            overtaken_.push_back(std::move(latest_));
        }
        latest_ = std::move(content);
        ++requests_;
        if (writeQueued_) {
            return;
        }
        writeQueued_ = true;
    }
    writer_.post([this] { writeLatest(); });
}

void WriteBehindFile::flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t made = requests_;
    finished_.wait(lock, [&] { return requestsWritten_ >= made; });
}

void WriteBehindFile::writeLatest() {
    Content content;
    std::vector<Content> overtaken;
    std::uint64_t request = 0;
    {
        const std::lock_guard lock(mutex_);
        content = std::exchange(latest_, nullptr);
        overtaken.swap(overtaken_);
        request = requests_;
        writeQueued_ = false;
    }
    try {
        std::filesystem::create_directories(file_.parent_path());
        writeFileAtomically(file_, content());
        failures_.succeeded();
    } catch (const std::exception& error) {
        failures_.failed(error, failureLine_(error));
    }
    // What they held goes here, not under the lock.
    content = nullptr;
    overtaken.clear();
    const std::lock_guard lock(mutex_);
    requestsWritten_ = request;
    finished_.notify_all();
}

} // namespace glimmo
