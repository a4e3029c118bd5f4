#include "RemoteImage/ImageLoadingSession.h"

#include "platform/foundation/Locations.h"
#include "platform/net/HttpClient.h"
#include "platform/net/URLCache.h"

#include <cstdlib>
#include <utility>

namespace remoteimage {

ImageLoadingSession::ImageLoadingSession(std::size_t memoryCapacity, std::size_t diskCapacity, double timeoutInterval,
                                         std::filesystem::path cacheDirectory)
    : timeoutInterval_(timeoutInterval),
      cache_(std::make_shared<glimmo::URLCache>(memoryCapacity, diskCapacity, std::move(cacheDirectory))),
      client_(std::make_unique<glimmo::HttpClient>()) {}

// The client goes first: destroying it ends the transfers that would still store into the cache.
ImageLoadingSession::~ImageLoadingSession() { client_.reset(); }

glimmo::Task<glimmo::HttpResponse> ImageLoadingSession::data(const glimmo::URL& url) {
    glimmo::HttpRequest request;
    request.url = url.absoluteString();
    request.headers = {{"Accept", "image/*"}};
    request.timeoutSeconds = timeoutInterval_;
    glimmo::RequestOptions options;
    options.maxBodyBytes = maximumImageDownloadBytes;
    options.cache = cache_;
    return client_->send(std::move(request), options);
}

std::filesystem::path defaultImageCacheDirectory() {
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    const std::filesystem::path base =
        cacheHome != nullptr && *cacheHome == '/' ? std::filesystem::path(cacheHome) : glimmo::homeDirectory() / ".cache";
    return base / glimmo::bundleIdentifier() / "RemoteImage";
}

std::shared_ptr<ImageLoadingSession> makeImageLoadingSession(std::size_t memoryCapacity, std::size_t diskCapacity,
                                                             double timeoutInterval,
                                                             std::filesystem::path cacheDirectory) {
    return std::make_shared<ImageLoadingSession>(memoryCapacity, diskCapacity, timeoutInterval,
                                                 std::move(cacheDirectory));
}

} // namespace remoteimage

