#pragma once

#include "platform/foundation/URL.h"
#include "platform/net/HttpTypes.h"
#include "platform/runtime/Task.h"

#include <cstddef>
#include <filesystem>
#include <memory>

namespace glimmo {
class HttpClient;
class URLCache;
}

namespace remoteimage {

// Largest image download accepted; a longer body is aborted while it arrives.
inline constexpr std::size_t maximumImageDownloadBytes = 20 * 1024 * 1024;

// The HTTP side of image loading: its own client and response cache. Every GET asks for "image/*",
// is answered from the response cache whatever the age of the cached response, and otherwise goes to
// the network with the session's time-out (without progress) and download limit.
class ImageLoadingSession {
public:
    ImageLoadingSession(std::size_t memoryCapacity, std::size_t diskCapacity, double timeoutInterval,
                        std::filesystem::path cacheDirectory);
    ~ImageLoadingSession();
    ImageLoadingSession(const ImageLoadingSession&) = delete;
    ImageLoadingSession& operator=(const ImageLoadingSession&) = delete;

    // The whole reply for the URL; HTTP statuses are replies. Throws glimmo::HttpError when the exchange
    // fails (Kind::tooLarge past maximumImageDownloadBytes).
    glimmo::Task<glimmo::HttpResponse> data(const glimmo::URL& url);

    double timeoutInterval() const { return timeoutInterval_; }
    glimmo::URLCache& urlCache() { return *cache_; }

private:
    const double timeoutInterval_;
    const std::shared_ptr<glimmo::URLCache> cache_;
    std::unique_ptr<glimmo::HttpClient> client_;
};

// The disk store of the image response cache: $XDG_CACHE_HOME (else ~/.cache), then the application's
// identifier and "RemoteImage".
std::filesystem::path defaultImageCacheDirectory();

std::shared_ptr<ImageLoadingSession> makeImageLoadingSession(std::size_t memoryCapacity, std::size_t diskCapacity,
                                                             double timeoutInterval,
                                                             std::filesystem::path cacheDirectory = defaultImageCacheDirectory());

} // namespace remoteimage
