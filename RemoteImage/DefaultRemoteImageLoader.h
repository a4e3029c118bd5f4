#pragma once

#include "platform/net/HttpTypes.h"
#include "platform/runtime/Executor.h"
#include "RemoteImage/ImageLoadingSession.h"
#include "RemoteImage/RemoteImageLoader.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace remoteimage {

// Loads images over HTTP(S), decodes their first frame off the executor and keeps them in a
// RemoteImageCache. Requests for a URL that is already loading join that load instead of starting
// another transfer. The table of loads in flight lives on one executor (the main run loop unless
// another is given) and is touched nowhere else; callers may await from any executor.
//
// A load that fails for any reason (transfer error, time-out, cancelled transfer, bad status,
// undecodable data) leaves the table, so the next request for that URL tries again.
class DefaultRemoteImageLoader final : public RemoteImageLoader {
public:
    // Fetches the bytes of a URL: the reply, or a transfer error.
    using DataFunction = std::function<glimmo::Task<glimmo::HttpResponse>(const glimmo::URL&)>;

    // Decoded pixels are charged to `budget`'s live bound; give the cache the same budget, so that what
    // it holds is what lets go when the bound is reached.
    DefaultRemoteImageLoader(std::shared_ptr<RemoteImageCache> cache, std::shared_ptr<ImageLoadingSession> session,
                             glimmo::Executor& executor,
                             std::shared_ptr<glimmo::PixelBudget> budget = glimmo::PixelBudget::shared());
    DefaultRemoteImageLoader(std::shared_ptr<RemoteImageCache> cache, DataFunction data, glimmo::Executor& executor,
                             std::shared_ptr<glimmo::PixelBudget> budget = glimmo::PixelBudget::shared());
    ~DefaultRemoteImageLoader() override;
    DefaultRemoteImageLoader(const DefaultRemoteImageLoader&) = delete;
    DefaultRemoteImageLoader& operator=(const DefaultRemoteImageLoader&) = delete;

    // On first use: DefaultRemoteImageCache::shared(), a session with a response cache of 10 MiB in
    // memory and 100 MiB on disk and a 15-second time-out, on the main run loop.
    static const std::shared_ptr<DefaultRemoteImageLoader>& shared();

    // A cached image at once; otherwise joins or starts the load. Throws URLError (badServerResponse
    // for a URL that is not http or https or a status outside 200...299; cannotDecodeContentData for
    // data that is not a decodable image, a body over maximumImageDownloadBytes, a header that declares
    // more pixels than the decoding limits allow, pixels (or a decoder's working memory) that would pass
    // the budget's live bound, or a decode that passes the bound on scans, work or time, with the
    // decoder's reason in decodingFailure()) or the transfer's own error (glimmo::HttpError,
    // glimmo::CancellationError). The wait is
    // not tied to the caller: a caller that is cancelled still gets the load's outcome, and the load
    // runs to its end and fills the cache.
    glimmo::Task<DecodedImage> image(const glimmo::URL& url) override;

    // The number of URLs loading now. Call on the loader's executor.
    std::size_t ongoingTaskCount() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace remoteimage
