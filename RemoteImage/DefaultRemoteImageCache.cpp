#include "RemoteImage/RemoteImageCache.h"

#include <utility>

namespace remoteimage {

DefaultRemoteImageCache::DefaultRemoteImageCache(std::size_t countLimit) : countLimit_(countLimit) {}

const std::shared_ptr<DefaultRemoteImageCache>& DefaultRemoteImageCache::shared() {
    static const auto cache = std::make_shared<DefaultRemoteImageCache>(100);
    return cache;
}

DecodedImage DefaultRemoteImageCache::image(const glimmo::URL& url) {
    const std::lock_guard lock(mutex_);
    const auto found = index_.find(url.absoluteString());
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->image;
}

void DefaultRemoteImageCache::setImage(DecodedImage image, const glimmo::URL& url) {
    if (!image) return;
    const std::lock_guard lock(mutex_);
    const std::string& key = url.absoluteString();
    if (const auto found = index_.find(key); found != index_.end()) {
        found->second->image = std::move(image);
        entries_.splice(entries_.begin(), entries_, found->second);
        return;
    }
    entries_.push_front(Entry{key, std::move(image)});
    index_.emplace(key, entries_.begin());
    while (countLimit_ > 0 && entries_.size() > countLimit_) {
        index_.erase(entries_.back().url);
        entries_.pop_back();
    }
}

std::size_t DefaultRemoteImageCache::count() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

} // namespace remoteimage
