#pragma once

// Internal: decodes images off the loader's executor, one at a time, on a thread of its own.

#include "platform/imaging/ImageDecoding.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/Task.h"
#include "RemoteImage/RemoteImageCache.h"

#include <memory>
#include <string>

namespace remoteimage::detail {

// Destroying it finishes the decodes already queued, then joins the thread.
class DecodingThread {
public:
    // The pixels are charged to `budget`'s live bound.
    explicit DecodingThread(std::shared_ptr<glimmo::PixelBudget> budget);

    // The first frame. Resumes on the awaiting task's executor, or throws a copy of the decoder's failure
    // there (glimmo::ImageDecodingError, std::bad_alloc).
    glimmo::Task<DecodedImage> decode(std::string bytes);

private:
    const std::shared_ptr<glimmo::PixelBudget> budget_;
    glimmo::BackgroundQueue queue_;
};

} // namespace remoteimage::detail
