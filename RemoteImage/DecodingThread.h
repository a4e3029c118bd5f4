#pragma once

// Internal: decodes images off the loader's executor, one at a time, on a thread of its own.

#include "platform/runtime/Task.h"
#include "RemoteImage/RemoteImageCache.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace remoteimage::detail {

class DecodingThread {
public:
    DecodingThread();
    // Finishes the decodes already queued, then joins the thread.
    ~DecodingThread();
    DecodingThread(const DecodingThread&) = delete;
    DecodingThread& operator=(const DecodingThread&) = delete;

    // The first frame, or why there is none. Failures come back as text rather than as exceptions, so
    // that no exception object is shared between this thread and the awaiting one.
    struct Outcome {
        DecodedImage image;
        std::string failure;
    };

    // Resumes on the awaiting task's executor.
    glimmo::Task<Outcome> decode(std::string bytes);

private:
    void post(std::function<void()> job);
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace remoteimage::detail
