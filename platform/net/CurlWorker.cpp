#include "platform/net/CurlWorker.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace glimmo {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Polls at least this often so idle time-outs are noticed promptly.
constexpr auto longestPoll = std::chrono::milliseconds(200);

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct URLDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

struct Transfer {
    CurlWorker::TransferId id = 0;
    std::unique_ptr<CURL, EasyDeleter> easy;
    std::unique_ptr<curl_slist, HeaderListDeleter> requestHeaders;
    std::string requestBody;
    std::string url;
    CurlWorker::Callbacks callbacks;
    std::size_t maxBodyBytes = 0;
    std::size_t received = 0;
    HttpHeaders responseHeaders;
    bool headDelivered = false;
    std::chrono::duration<double> idleLimit{60};
    SteadyClock::time_point lastProgress = SteadyClock::now();
    curl_off_t lastDownloaded = 0;
    curl_off_t lastUploaded = 0;
    std::exception_ptr failure;  // set by a callback that aborted the transfer
    char errorBuffer[CURL_ERROR_SIZE] = {};

    void deliverHead() {
        if (headDelivered) return;
        headDelivered = true;
        long status = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
        if (callbacks.onHead) callbacks.onHead(static_cast<int>(status), std::move(responseHeaders));
    }

    void complete(std::exception_ptr error) {
        auto onComplete = std::move(callbacks.onComplete);
        callbacks = {};
        if (onComplete) onComplete(std::move(error));
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* context) {
        auto& transfer = *static_cast<Transfer*>(context);
        const std::size_t length = size * count;
        transfer.lastProgress = SteadyClock::now();
        transfer.received += length;
        if (transfer.maxBodyBytes != 0 && transfer.received > transfer.maxBodyBytes) {
            transfer.failure = std::make_exception_ptr(HttpError(
                HttpError::Kind::tooLarge,
                "The response body exceeds " + std::to_string(transfer.maxBodyBytes) + " bytes: " + transfer.url));
            return 0;
        }
        transfer.deliverHead();
        if (transfer.callbacks.onData && !transfer.callbacks.onData(std::string_view(data, length))) {
            transfer.failure = std::make_exception_ptr(HttpError(HttpError::Kind::cancelled, "Transfer cancelled"));
            return 0;
        }
        return length;
    }

    static std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* context) {
        auto& transfer = *static_cast<Transfer*>(context);
        const std::size_t length = size * count;
        transfer.lastProgress = SteadyClock::now();
        const std::string_view line(data, length);
        if (line.starts_with("HTTP/")) {
            // A new response starts (after a redirect or an interim 1xx): keep only its headers.
            transfer.responseHeaders.clear();
        } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (!transfer.responseHeaders.empty()) {
                auto& value = transfer.responseHeaders.back().second;
                value += ' ';
                value += trim(line);
            }
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            transfer.responseHeaders.emplace_back(std::string(trim(line.substr(0, colon))),
                                                  std::string(trim(line.substr(colon + 1))));
        }
        return length;
    }

    static int onProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
        auto& transfer = *static_cast<Transfer*>(context);
        if (downloaded != transfer.lastDownloaded || uploaded != transfer.lastUploaded) {
            transfer.lastDownloaded = downloaded;
            transfer.lastUploaded = uploaded;
            transfer.lastProgress = SteadyClock::now();
        }
        return 0;
    }
};

struct CurlWorker::Impl {
    CURLM* multi = nullptr;
    std::thread thread;
    std::atomic<TransferId> nextId{1};

    std::mutex mutex;  // guards the three fields below
    std::vector<std::unique_ptr<Transfer>> starting;
    std::vector<TransferId> cancelling;
    bool stopping = false;

    // Worker thread only.
    std::unordered_map<TransferId, std::unique_ptr<Transfer>> active;

    Impl() {
        initialiseCurlOnce();
        multi = curl_multi_init();
        if (multi == nullptr) throw HttpError(HttpError::Kind::transport, "curl_multi_init failed");
        thread = std::thread([this] { run(); });
    }

    ~Impl() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        curl_multi_wakeup(multi);
        thread.join();
        // Whoever still waits learns that its transfer ended, rather than waiting forever.
        const auto shutDown = [] {
            return std::make_exception_ptr(HttpError(HttpError::Kind::cancelled, "The HTTP client was shut down"));
        };
        for (auto& transfer : starting) transfer->complete(shutDown());
        starting.clear();
        std::vector<TransferId> remaining;
        for (const auto& [id, transfer] : active) remaining.push_back(id);
        for (const TransferId id : remaining) finish(id, shutDown());
        curl_multi_cleanup(multi);
    }

    void run() {
        for (;;) {
            std::vector<std::unique_ptr<Transfer>> newTransfers;
            std::vector<TransferId> cancelled;
            {
                std::lock_guard lock(mutex);
                if (stopping) return;
                newTransfers.swap(starting);
                cancelled.swap(cancelling);
            }
            for (auto& transfer : newTransfers) begin(std::move(transfer));
            for (const TransferId id : cancelled) {
                finish(id, std::make_exception_ptr(HttpError(HttpError::Kind::cancelled, "Transfer cancelled")));
            }

            int running = 0;
            curl_multi_perform(multi, &running);
            collectFinished();
            const auto wait = expireIdleTransfers();
            curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
        }
    }

    void begin(std::unique_ptr<Transfer> transfer) {
        const TransferId id = transfer->id;
        transfer->lastProgress = SteadyClock::now();
        if (const CURLMcode code = curl_multi_add_handle(multi, transfer->easy.get()); code != CURLM_OK) {
            transfer->complete(std::make_exception_ptr(HttpError(HttpError::Kind::transport, curl_multi_strerror(code))));
            return;
        }
        active.emplace(id, std::move(transfer));
    }

    void collectFinished() {
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            Transfer* transfer = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
            if (transfer == nullptr) continue;
            const CURLcode result = message->data.result;
            std::exception_ptr error;
            if (transfer->failure) {
                error = std::exchange(transfer->failure, nullptr);
            } else if (result != CURLE_OK) {
                error = std::make_exception_ptr(errorFor(*transfer, result));
            } else {
                transfer->deliverHead();
            }
            finish(transfer->id, std::move(error));
        }
    }

    static HttpError errorFor(const Transfer& transfer, CURLcode result) {
        const std::string detail = transfer.errorBuffer[0] != '\0' ? transfer.errorBuffer : curl_easy_strerror(result);
        switch (result) {
            case CURLE_URL_MALFORMAT:
            case CURLE_UNSUPPORTED_PROTOCOL:
                return HttpError(HttpError::Kind::invalidURL, detail);
            case CURLE_OPERATION_TIMEDOUT:
                return HttpError(HttpError::Kind::timedOut, detail);
            default:
                return HttpError(HttpError::Kind::transport, detail);
        }
    }

    // Fails transfers that made no progress for their idle limit; returns how long to poll.
    std::chrono::milliseconds expireIdleTransfers() {
        const auto now = SteadyClock::now();
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(longestPoll);
        std::vector<TransferId> expired;
        for (const auto& [id, transfer] : active) {
            const auto deadline =
                transfer->lastProgress + std::chrono::duration_cast<SteadyClock::duration>(transfer->idleLimit);
            if (deadline <= now) {
                expired.push_back(id);
            } else {
                wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
            }
        }
        for (const TransferId id : expired) {
            const auto& transfer = *active.at(id);
            const std::string message = "The request timed out after " +
                                        std::to_string(transfer.idleLimit.count()) + " seconds without data: " +
                                        transfer.url;
            finish(id, std::make_exception_ptr(HttpError(HttpError::Kind::timedOut, message)));
        }
        return wait;
    }

    void finish(TransferId id, std::exception_ptr error) {
        const auto found = active.find(id);
        if (found == active.end()) return;
        std::unique_ptr<Transfer> transfer = std::move(found->second);
        active.erase(found);
        // Removing an unfinished transfer closes its connection, so the server sees it go.
        curl_multi_remove_handle(multi, transfer->easy.get());
        transfer->complete(std::move(error));
    }
};

CurlWorker::CurlWorker() : impl_(std::make_unique<Impl>()) {}

CurlWorker::~CurlWorker() = default;

void CurlWorker::validateURL(const std::string& url) {
    initialiseCurlOnce();
    std::unique_ptr<CURLU, URLDeleter> handle(curl_url());
    if (!handle) throw HttpError(HttpError::Kind::transport, "curl_url failed");
    if (curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        throw HttpError(HttpError::Kind::invalidURL, "Invalid URL: " + url);
    }
    char* scheme = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) {
        throw HttpError(HttpError::Kind::invalidURL, "Invalid URL: " + url);
    }
    const std::string schemeText(scheme);
    curl_free(scheme);
    if (schemeText != "http" && schemeText != "https") {
        throw HttpError(HttpError::Kind::invalidURL, "Unsupported URL scheme: " + url);
    }
}

CurlWorker::TransferId CurlWorker::start(const HttpRequest& request, std::size_t maxBodyBytes, Callbacks callbacks) {
    auto transfer = std::make_unique<Transfer>();
    transfer->id = impl_->nextId++;
    transfer->url = request.url;
    transfer->requestBody = request.body;
    transfer->callbacks = std::move(callbacks);
    transfer->maxBodyBytes = maxBodyBytes;
    transfer->idleLimit = std::chrono::duration<double>(request.timeoutSeconds > 0 ? request.timeoutSeconds : 60);
    transfer->easy.reset(curl_easy_init());
    if (!transfer->easy) throw HttpError(HttpError::Kind::transport, "curl_easy_init failed");

    CURL* easy = transfer->easy.get();
    curl_easy_setopt(easy, CURLOPT_URL, transfer->url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 16L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->errorBuffer);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);

    if (request.method == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (request.method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else {
        if (request.method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        if (request.method == "POST" || !transfer->requestBody.empty()) {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(transfer->requestBody.size()));
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, transfer->requestBody.data());
        }
    }

    curl_slist* headers = nullptr;
    // Sending the body at once is faster than waiting for "100 Continue" from servers that never send it.
    headers = curl_slist_append(headers, "Expect:");
    for (const auto& [name, value] : request.headers) {
        // "Name;" is curl's way to send a header with an empty value.
        const std::string line = value.empty() ? name + ";" : name + ": " + value;
        if (curl_slist* appended = curl_slist_append(headers, line.c_str())) headers = appended;
    }
    transfer->requestHeaders.reset(headers);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);

    const TransferId id = transfer->id;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->starting.push_back(std::move(transfer));
    }
    curl_multi_wakeup(impl_->multi);
    return id;
}

void CurlWorker::cancel(TransferId id) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->cancelling.push_back(id);
    }
    curl_multi_wakeup(impl_->multi);
}

}  // namespace glimmo
