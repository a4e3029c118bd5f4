#include "RemoteImage/RemoteImageCache.h"

#include <utility>

namespace remoteimage {

DefaultRemoteImageCache::DefaultRemoteImageCache(std::size_t countLimit, std::shared_ptr<glimmo::PixelBudget> budget)
    : images_(countLimit, std::move(budget)) {}

const std::shared_ptr<DefaultRemoteImageCache>& DefaultRemoteImageCache::shared() {
    static const auto cache = std::make_shared<DefaultRemoteImageCache>(100);
    return cache;
}

DecodedImage DefaultRemoteImageCache::image(const glimmo::URL& url) { return images_.find(url.absoluteString()); }

void DefaultRemoteImageCache::setImage(DecodedImage image, const glimmo::URL& url) {
    if (!image) return;
    const std::size_t bytes = image->rgba.size();
    images_.store(url.absoluteString(), std::move(image), bytes);
}

std::size_t DefaultRemoteImageCache::count() const { return images_.count(); }

} // namespace remoteimage
