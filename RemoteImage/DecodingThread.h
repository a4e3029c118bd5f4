#pragma once

// Internal: decodes images off the loader's executor, one at a time, on a thread of its own.

#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/Task.h"
#include "RemoteImage/RemoteImageCache.h"

#include <string>

namespace remoteimage::detail {

// Destroying it finishes the decodes already queued, then joins the thread.
class DecodingThread {
public:
    // The first frame, or why there is none. Failures come back as text rather than as exceptions, so
    // that no exception object is shared between this thread and the awaiting one.
    struct Outcome {
        DecodedImage image;
        std::string failure;
    };

    // Resumes on the awaiting task's executor.
    glimmo::Task<Outcome> decode(std::string bytes);

private:
    glimmo::BackgroundQueue queue_;
};

} // namespace remoteimage::detail
