#pragma once

#include "platform/foundation/URL.h"
#include "platform/view/PixelImage.h"

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

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

// In memory, at most `countLimit` images; the least recently used image goes first. Thread-safe.
class DefaultRemoteImageCache final : public RemoteImageCache {
public:
    explicit DefaultRemoteImageCache(std::size_t countLimit);

    // Holds at most 100 images; made on first use and kept for the life of the process.
    static const std::shared_ptr<DefaultRemoteImageCache>& shared();

    DecodedImage image(const glimmo::URL& url) override;
    void setImage(DecodedImage image, const glimmo::URL& url) override;

    std::size_t count() const;

private:
    struct Entry {
        std::string url;
        DecodedImage image;
    };

    const std::size_t countLimit_;
    mutable std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

} // namespace remoteimage
