#include "platform/net/HttpClient.h"

#include "platform/net/CurlWorker.h"
#include "platform/net/URLCache.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace glimmo {

namespace {

// Joins a transfer with whoever waits for it: cancelling it, and resuming it when its reader has caught
// up. Cancellation may come from another thread before the transfer has been handed to the worker; it
// is then applied as soon as it is.
class TransferControl {
public:
    explicit TransferControl(std::weak_ptr<CurlWorker> worker) : worker_(std::move(worker)) {}

    void attach(CurlWorker::TransferId id) {
        bool cancelNow = false;
        bool resumeNow = false;
        {
            const std::lock_guard lock(mutex_);
            id_ = id;
            cancelNow = cancelRequested_;
            resumeNow = std::exchange(resumeRequested_, false);
        }
        if (cancelNow) {
            cancelTransfer(id);
        } else if (resumeNow) {
            resumeTransfer(id);
        }
    }

    void cancel() {
        std::optional<CurlWorker::TransferId> id;
        {
            const std::lock_guard lock(mutex_);
            if (finished_) return;
            cancelRequested_ = true;
            id = id_;
        }
        if (id) cancelTransfer(*id);
    }

    void resume() {
        std::optional<CurlWorker::TransferId> id;
        {
            const std::lock_guard lock(mutex_);
            if (finished_) return;
            id = id_;
            if (!id) resumeRequested_ = true;
        }
        if (id) resumeTransfer(*id);
    }

    // Called on the worker thread when the transfer has ended: later cancellations have nothing to
    // do, and must not touch the worker from its own thread.
    void markFinished() {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }

private:
    void cancelTransfer(CurlWorker::TransferId id) {
        if (const auto worker = worker_.lock()) worker->cancel(id);
    }

    void resumeTransfer(CurlWorker::TransferId id) {
        if (const auto worker = worker_.lock()) worker->resume(id);
    }

    const std::weak_ptr<CurlWorker> worker_;
    std::mutex mutex_;
    std::optional<CurlWorker::TransferId> id_;
    bool cancelRequested_ = false;
    bool resumeRequested_ = false;
    bool finished_ = false;
};

bool isCancelledTransfer(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const HttpError& httpError) {
        return httpError.kind() == HttpError::Kind::cancelled;
    } catch (...) {
        return false;
    }
}

// Our own cancellations reach the waiting task as CancellationError, like every other cancelled await.
// The error is moved along, never copied: the worker thread must hold no reference to it once the
// task may be handling it.
std::exception_ptr forTask(std::exception_ptr error) {
    if (isCancelledTransfer(error)) return std::make_exception_ptr(CancellationError{});
    return error;
}

CurlWorker::TransferId startTransfer(const std::weak_ptr<CurlWorker>& transport, const HttpRequest& request,
                                     std::size_t maxBodyBytes, CurlWorker::TimeLimit timeLimit,
                                     CurlWorker::Callbacks callbacks) {
    const auto worker = transport.lock();
    if (!worker) throw CancellationError{};  // the client is gone
    return worker->start(request, maxBodyBytes, timeLimit, std::move(callbacks));
}

// The awaiting parts are built outside the coroutines: GCC 12 destroys lambda temporaries that appear
// inside a co_await expression twice.
Task<HttpResponse> transferWholeBody(std::weak_ptr<CurlWorker> transport, HttpRequest request,
                                     std::size_t maxBodyBytes) {
    const auto cancellation = std::make_shared<TransferControl>(transport);
    auto start = [transport, cancellation, request = std::move(request),
                  maxBodyBytes](Continuation<HttpResponse> continuation) {
        auto collected = std::make_shared<HttpResponse>();
        CurlWorker::Callbacks callbacks;
        callbacks.onHead = [collected](int status, HttpHeaders headers) {
            collected->status = status;
            collected->headers = std::move(headers);
        };
        callbacks.onData = [collected](std::string_view bytes) {
            collected->body.append(bytes);
            return CurlWorker::Intake::taken;
        };
        callbacks.onComplete = [collected, continuation, cancellation](std::exception_ptr error) {
            cancellation->markFinished();
            if (error) {
                continuation.resumeThrowing(forTask(std::move(error)));
            } else {
                continuation.resume(std::move(*collected));
            }
        };
        cancellation->attach(
            startTransfer(transport, request, maxBodyBytes, CurlWorker::TimeLimit::total, std::move(callbacks)));
    };
    return withContinuation<HttpResponse>(std::move(start), [cancellation] { cancellation->cancel(); });
}

Task<HttpLineStream> transferLines(std::weak_ptr<CurlWorker> transport, HttpRequest request,
                                   LineStreamOptions options) {
    const auto cancellation = std::make_shared<TransferControl>(transport);
    auto made = AsyncThrowingStream<std::string>::make(std::max<std::size_t>(options.maxBufferedBytes, 1),
                                                       [](const std::string& bytes) { return bytes.size(); });
    const AsyncThrowingStream<std::string>::Continuation producer = made.second;
    // A consumer that stops reading, or is cancelled, stops the transfer.
    producer.onTermination([cancellation] { cancellation->cancel(); });
    producer.onRoom([cancellation] { cancellation->resume(); });
    // Handed to the consumer with the head of the reply.
    auto pendingLines = std::make_shared<std::optional<LineReader>>(std::in_place, std::move(made.first),
                                                                    options.maxLineBytes, request.url);

    auto start = [transport, cancellation, request = std::move(request), producer,
                  pendingLines](Continuation<HttpLineStream> continuation) {
        auto headDelivered = std::make_shared<bool>(false);
        CurlWorker::Callbacks callbacks;
        callbacks.onHead = [pendingLines, headDelivered, continuation](int status, HttpHeaders headers) {
            *headDelivered = true;
            continuation.resume(HttpLineStream{status, std::move(headers), std::move(**pendingLines)});
            pendingLines->reset();
        };
        callbacks.onData = [producer](std::string_view bytes) {
            if (producer.isTerminated()) return CurlWorker::Intake::aborted;
            if (!producer.hasRoom()) return CurlWorker::Intake::paused;
            producer.yield(std::string(bytes));
            return CurlWorker::Intake::taken;
        };
        callbacks.onComplete = [producer, headDelivered, continuation,
                                cancellation](std::exception_ptr error) {
            cancellation->markFinished();
            if (error) {
                if (*headDelivered) {
                    producer.finish(std::move(error));
                } else {
                    // Nobody holds the stream yet: the error goes to the task waiting for the head.
                    producer.finish();
                    continuation.resumeThrowing(forTask(std::move(error)));
                }
                return;
            }
            producer.finish();
        };
        cancellation->attach(startTransfer(transport, request, 0, CurlWorker::TimeLimit::idle, std::move(callbacks)));
    };
    return withContinuation<HttpLineStream>(std::move(start), [cancellation] { cancellation->cancel(); });
}

}  // namespace

HttpClient::HttpClient() = default;

HttpClient::~HttpClient() = default;

HttpClient& HttpClient::shared() {
    static HttpClient client;
    return client;
}

std::shared_ptr<CurlWorker> HttpClient::worker() {
    std::call_once(workerStarted_, [this] { worker_ = std::make_shared<CurlWorker>(); });
    return worker_;
}

Task<HttpResponse> HttpClient::send(HttpRequest request, const RequestOptions& options) {
    // Copied here: the task starts later, when the caller's options may be gone.
    return sendWithOptions(std::move(request), options);
}

Task<HttpResponse> HttpClient::sendWithOptions(HttpRequest request, RequestOptions options) {
    CurlWorker::validateRequest(request);
    // Taken before any suspension, and only weakly: the client must stay free to shut down while the
    // cache reads its disk or the transfer runs.
    std::weak_ptr<CurlWorker> transport = worker();
    const std::weak_ptr<URLCache> cacheOwner = request.method == "GET" ? options.cache : std::weak_ptr<URLCache>();
    if (const auto cache = cacheOwner.lock()) {
        // Held through the lookup, which may finish on the cache's own thread.
        auto lookup = cache->cachedResponse(request.url);
        if (auto cached = co_await std::move(lookup)) co_return std::move(*cached);
    }
    const std::string url = request.url;
    auto transfer = transferWholeBody(std::move(transport), std::move(request), options.maxBodyBytes);
    HttpResponse response = co_await std::move(transfer);
    // Only while its owner keeps the cache: the owner may have gone while the reply came.
    if (const auto cache = cacheOwner.lock()) cache->store(url, response);
    co_return response;
}

Task<HttpLineStream> HttpClient::streamLines(HttpRequest request, LineStreamOptions options) {
    CurlWorker::validateRequest(request);
    std::weak_ptr<CurlWorker> transport = worker();
    co_return co_await transferLines(std::move(transport), std::move(request), options);
}

}  // namespace glimmo
