#pragma once

#include "platform/foundation/URL.h"
#include "platform/runtime/Task.h"
#include "RemoteImage/RemoteImageCache.h"

namespace remoteimage {

// Something that turns an image address into a decoded image.
class RemoteImageLoader {
public:
    virtual ~RemoteImageLoader() = default;

    // The decoded image at `url`; throws when it cannot be had.
    virtual glimmo::Task<DecodedImage> image(const glimmo::URL& url) = 0;
};

} // namespace remoteimage
