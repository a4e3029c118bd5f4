#pragma once

// Internal: decodes images off the loader's executor, one at a time, on a thread of its own.

#include "platform/imaging/ImageDecoding.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/Task.h"
#include "RemoteImage/RemoteImageCache.h"

#include <memory>
#include <optional>
#include <string>

namespace remoteimage::detail {

// Destroying it finishes the decodes already queued, then joins the thread.
class DecodingThread {
public:
    // The pixels are charged to `budget`'s live bound.
    explicit DecodingThread(std::shared_ptr<glimmo::PixelBudget> budget);

    // The first frame, or why there is none. Failures come back as values rather than as exceptions, so
    // that no exception object is shared between this thread and the awaiting one.
    struct Outcome {
        DecodedImage image;
        std::string failure;
        std::optional<glimmo::ImageDecodingError::Kind> failureKind;  // none for a failed allocation
    };

    // Resumes on the awaiting task's executor.
    glimmo::Task<Outcome> decode(std::string bytes);

private:
    const std::shared_ptr<glimmo::PixelBudget> budget_;
    glimmo::BackgroundQueue queue_;
};

} // namespace remoteimage::detail
