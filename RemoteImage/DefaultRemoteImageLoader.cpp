#include "RemoteImage/DefaultRemoteImageLoader.h"

#include "platform/runtime/RunLoop.h"
#include "RemoteImage/DecodingThread.h"
#include "RemoteImage/URLError.h"

#include <new>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace remoteimage {

namespace {

// Posts to whichever loop is the main one at the time, so a loader made once for the process never
// holds on to a loop that has been replaced.
class MainLoopExecutor final : public glimmo::Executor {
public:
    ~MainLoopExecutor() override { closeHandles(); }
    // From any thread: work comes back from the decoding thread and the transfers.
    void post(std::function<void()> work) override { glimmo::RunLoop::postToMain(std::move(work)); }
    bool isCurrent() const override { return glimmo::RunLoop::hasMain() && glimmo::RunLoop::main().isCurrent(); }
};

bool isHTTP(const glimmo::URL& url) {
    const std::string scheme = url.scheme();
    return scheme == "http" || scheme == "https";
}

} // namespace

struct DefaultRemoteImageLoader::State : std::enable_shared_from_this<State> {
    State(std::shared_ptr<RemoteImageCache> cache, DataFunction data, glimmo::Executor& executor,
          std::shared_ptr<glimmo::PixelBudget> budget)
        : executor(executor), cache(std::move(cache)), data(std::move(data)), decoder(std::move(budget)) {}

    // On the executor: answers from the cache, joins the load in flight or starts one.
    void request(const glimmo::URL& url, const glimmo::Continuation<DecodedImage>& waiter);
    // On the executor: the load has ended; its entry goes and everyone waiting gets the outcome.
    void finish(const std::string& key, const DecodedImage& image, const std::exception_ptr& failure);

    glimmo::Executor& executor;
    const std::shared_ptr<RemoteImageCache> cache;
    const DataFunction data;
    detail::DecodingThread decoder;
    // Loads in flight by URL, with the callers waiting for each.
    std::unordered_map<std::string, std::vector<glimmo::Continuation<DecodedImage>>> ongoingTasks;
};

namespace {

glimmo::Task<void> runLoad(std::shared_ptr<DefaultRemoteImageLoader::State> state, glimmo::URL url) {
    DecodedImage image;
    std::exception_ptr failure;
    try {
        auto fetch = state->data(url);
        glimmo::HttpResponse response = co_await std::move(fetch);
        if (response.status < 200 || response.status > 299) {
            throw URLError(URLError::Code::badServerResponse, "Status " + std::to_string(response.status) + ".");
        }
        if (response.body.size() > maximumImageDownloadBytes) {
            throw URLError(URLError::Code::cannotDecodeContentData, "The download exceeds the size limit.");
        }
        try {
            auto decoding = state->decoder.decode(std::move(response.body));
            image = co_await std::move(decoding);
        } catch (const glimmo::ImageDecodingError& error) {
            throw URLError(error.kind(), error.what());
        } catch (const std::bad_alloc&) {
            throw URLError(URLError::Code::cannotDecodeContentData, "There is not enough memory for its pixels.");
        }
        state->cache->setImage(image, url);
    } catch (const glimmo::HttpError& error) {
        failure = error.kind() == glimmo::HttpError::Kind::tooLarge
                      ? std::make_exception_ptr(URLError(URLError::Code::cannotDecodeContentData, error.what()))
                      : std::current_exception();
    } catch (...) {
        failure = std::current_exception();
    }
    state->finish(url.absoluteString(), image, failure);
}

} // namespace

void DefaultRemoteImageLoader::State::request(const glimmo::URL& url, const glimmo::Continuation<DecodedImage>& waiter) {
    if (!isHTTP(url)) {
        waiter.resumeThrowing(std::make_exception_ptr(
            URLError(URLError::Code::badServerResponse, "Only http and https addresses are loaded.")));
        return;
    }
    try {
        if (DecodedImage cached = cache->image(url)) {
            waiter.resume(std::move(cached));
            return;
        }
    } catch (...) {
        waiter.resumeThrowing(std::current_exception());
        return;
    }
    auto& waiting = ongoingTasks[url.absoluteString()];
    waiting.push_back(waiter);
    if (waiting.size() == 1) glimmo::startTask(executor, runLoad(shared_from_this(), url));
}

void DefaultRemoteImageLoader::State::finish(const std::string& key, const DecodedImage& image,
                                             const std::exception_ptr& failure) {
    const auto entry = ongoingTasks.find(key);
    if (entry == ongoingTasks.end()) return;
    const std::vector<glimmo::Continuation<DecodedImage>> waiting = std::move(entry->second);
    ongoingTasks.erase(entry);
    for (const auto& waiter : waiting) {
        if (failure) {
            waiter.resumeThrowing(failure);
        } else {
            waiter.resume(image);
        }
    }
}

DefaultRemoteImageLoader::DefaultRemoteImageLoader(std::shared_ptr<RemoteImageCache> cache,
                                                   std::shared_ptr<ImageLoadingSession> session,
                                                   glimmo::Executor& executor,
                                                   std::shared_ptr<glimmo::PixelBudget> budget)
    : DefaultRemoteImageLoader(
          std::move(cache), [session = std::move(session)](const glimmo::URL& url) { return session->data(url); },
          executor, std::move(budget)) {}

DefaultRemoteImageLoader::DefaultRemoteImageLoader(std::shared_ptr<RemoteImageCache> cache, DataFunction data,
                                                   glimmo::Executor& executor,
                                                   std::shared_ptr<glimmo::PixelBudget> budget)
    : state_(std::make_shared<State>(std::move(cache), std::move(data), executor, std::move(budget))) {}

DefaultRemoteImageLoader::~DefaultRemoteImageLoader() = default;

const std::shared_ptr<DefaultRemoteImageLoader>& DefaultRemoteImageLoader::shared() {
    static MainLoopExecutor mainLoop;
    static const auto loader = std::make_shared<DefaultRemoteImageLoader>(
        DefaultRemoteImageCache::shared(), makeImageLoadingSession(10'485'760, 104'857'600, 15), mainLoop);
    return loader;
}

glimmo::Task<DecodedImage> DefaultRemoteImageLoader::image(const glimmo::URL& url) {
    auto start = [state = state_, url](glimmo::Continuation<DecodedImage> waiter) {
        state->executor.post([state, url, waiter] { state->request(url, waiter); });
    };
    return glimmo::withContinuation<DecodedImage>(std::move(start));
}

std::size_t DefaultRemoteImageLoader::ongoingTaskCount() const { return state_->ongoingTasks.size(); }

} // namespace remoteimage
