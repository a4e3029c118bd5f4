#pragma once

#include "platform/foundation/URL.h"
#include "platform/view/PixelCache.h"
#include "platform/view/PixelImage.h"

#include <cstddef>
#include <memory>

namespace remoteimage {

// A decoded image (scale 1, upright), shared read-only between the cache, the loader's callers and the
// views.
using DecodedImage = glimmo::SharedPixels;

// Where a loader keeps decoded images. Held by shared_ptr and shared between loaders.
class RemoteImageCache {
public:
    virtual ~RemoteImageCache() = default;

    // The cached image for the URL, or null.
    virtual DecodedImage image(const glimmo::URL& url) = 0;
    virtual void setImage(DecodedImage image, const glimmo::URL& url) = 0;
};

// In memory, at most `countLimit` images, drawing on a budget of decoded bytes (the one every cache of
// decoded images shares, unless another is given); the least recently used image goes first.
// Thread-safe.
class DefaultRemoteImageCache final : public RemoteImageCache {
public:
    explicit DefaultRemoteImageCache(std::size_t countLimit,
                                     std::shared_ptr<glimmo::PixelBudget> budget = glimmo::PixelBudget::shared());

    // Holds at most 100 images in the shared budget; made on first use and kept for the life of the
    // process.
    static const std::shared_ptr<DefaultRemoteImageCache>& shared();

    DecodedImage image(const glimmo::URL& url) override;
    void setImage(DecodedImage image, const glimmo::URL& url) override;

    std::size_t count() const;

private:
    glimmo::PixelCache<glimmo::PixelImage> images_;
};

} // namespace remoteimage
