#include "platform/net/CurlWorker.h"

#include "platform/net/Origin.h"

#include <curl/curl.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <mutex>
#include <optional>
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

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Control characters would end a header line early and start another; DEL is no text either.
bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool isTokenCharacter(unsigned char c) {
    return (c < 0x80 && std::isalnum(c) != 0) ||
           std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

void validateHeader(const std::string& name, const std::string& value) {
    // Neither is quoted when refused: the name could carry the same line breaks, the value a secret.
    if (name.empty() || !std::all_of(name.begin(), name.end(), isTokenCharacter)) {
        throw HttpError(HttpError::Kind::invalidHeader, "A header name is not an HTTP token");
    }
    if (std::any_of(value.begin(), value.end(), [](unsigned char c) { return c != '\t' && isControl(c); })) {
        throw HttpError(HttpError::Kind::invalidHeader, "The value of header \"" + name + "\" holds a control character");
    }
}

}  // namespace

struct Transfer {
    CurlWorker::TransferId id = 0;
    std::unique_ptr<CURL, EasyDeleter> easy;
    std::unique_ptr<curl_slist, HeaderListDeleter> requestHeaders;
    std::string requestBody;
    std::string url;
    // When set, the origin that redirects must stay in.
    std::optional<std::string> confinedToOrigin;
    CurlWorker::Callbacks callbacks;
    std::size_t maxBodyBytes = 0;
    std::size_t received = 0;
    int status = 0;  // of the response whose head is being read
    HttpHeaders responseHeaders;
    bool headDelivered = false;
    bool paused = false;  // by onData, until resume()
    std::chrono::duration<double> idleLimit{60};
    SteadyClock::time_point lastProgress = SteadyClock::now();
    curl_off_t lastDownloaded = 0;
    curl_off_t lastUploaded = 0;
    std::exception_ptr failure;  // set by a callback that aborted the transfer
    char errorBuffer[CURL_ERROR_SIZE] = {};

    void deliverHead() {
        if (headDelivered) return;
        headDelivered = true;
        long code = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &code);
        if (callbacks.onHead) callbacks.onHead(static_cast<int>(code), std::move(responseHeaders));
    }

    void complete(std::exception_ptr error) noexcept {
        auto onComplete = std::move(callbacks.onComplete);
        callbacks = {};
        try {
            if (onComplete) onComplete(std::move(error));
        } catch (...) {
            // Nobody is left to tell, and the worker thread must live on for the other transfers.
        }
    }

    // The C callbacks: each turns an exception into the transfer's failure and the return value
    // that makes libcurl abort.
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* context) noexcept {
        auto& transfer = *static_cast<Transfer*>(context);
        try {
            return transfer.takeBody(std::string_view(data, size * count));
        } catch (...) {
            transfer.failure = std::current_exception();
            return CURL_WRITEFUNC_ERROR;
        }
    }

    static std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* context) noexcept {
        auto& transfer = *static_cast<Transfer*>(context);
        try {
            transfer.takeHeaderLine(std::string_view(data, size * count));
            return size * count;
        } catch (...) {
            transfer.failure = std::current_exception();
            return CURL_WRITEFUNC_ERROR;
        }
    }

    static int onProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) noexcept {
        auto& transfer = *static_cast<Transfer*>(context);
        if (downloaded != transfer.lastDownloaded || uploaded != transfer.lastUploaded) {
            transfer.lastDownloaded = downloaded;
            transfer.lastUploaded = uploaded;
            transfer.lastProgress = SteadyClock::now();
        }
        return 0;
    }

    std::size_t takeBody(std::string_view bytes) {
        lastProgress = SteadyClock::now();
        if (maxBodyBytes != 0 && bytes.size() > maxBodyBytes - received) {
            throw HttpError(HttpError::Kind::tooLarge,
                            "The response body exceeds " + std::to_string(maxBodyBytes) + " bytes: " + url);
        }
        deliverHead();
        const auto intake = callbacks.onData ? callbacks.onData(bytes) : CurlWorker::Intake::taken;
        switch (intake) {
            case CurlWorker::Intake::taken:
                received += bytes.size();
                return bytes.size();
            case CurlWorker::Intake::paused:
                paused = true;
                return CURL_WRITEFUNC_PAUSE;
            case CurlWorker::Intake::aborted:
                break;
        }
        throw HttpError(HttpError::Kind::cancelled, "Transfer cancelled");
    }

    void takeHeaderLine(std::string_view line) {
        lastProgress = SteadyClock::now();
        if (line.starts_with("HTTP/")) {
            // A new response starts (after a redirect or an interim 1xx): keep only its headers.
            responseHeaders.clear();
            status = statusOf(line);
        } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (!responseHeaders.empty()) {
                auto& value = responseHeaders.back().second;
                value += ' ';
                value += trim(line);
            }
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            const auto& [name, value] = responseHeaders.emplace_back(std::string(trim(line.substr(0, colon))),
                                                                     std::string(trim(line.substr(colon + 1))));
            if (confinedToOrigin && isFollowedRedirect(status) && equalsIgnoringCase(name, "Location")) {
                checkRedirect(value);
            }
        }
    }

    // Runs before libcurl follows the redirect, so a refused one never sends the request on.
    void checkRedirect(const std::string& location) const {
        char* current = nullptr;
        curl_easy_getinfo(easy.get(), CURLINFO_EFFECTIVE_URL, &current);
        const auto target = resolveReference(current != nullptr ? current : url, location);
        if (target && originOf(*target) == confinedToOrigin) return;
        throw HttpError(HttpError::Kind::redirectRefused,
                        "Refused to follow a redirect to another origin with the request's credentials: " +
                            (target ? *target : location));
    }

    static int statusOf(std::string_view statusLine) {
        const auto space = statusLine.find(' ');
        int code = 0;
        if (space != std::string_view::npos) {
            std::from_chars(statusLine.data() + space + 1, statusLine.data() + statusLine.size(), code);
        }
        return code;
    }

    // The statuses whose Location libcurl follows.
    static bool isFollowedRedirect(int code) { return code >= 300 && code < 400 && code != 304; }
};

struct CurlWorker::Impl {
    CURLM* multi = nullptr;
    std::thread thread;
    std::atomic<TransferId> nextId{1};

    std::mutex mutex;  // guards the four fields below
    std::vector<std::unique_ptr<Transfer>> starting;
    std::vector<TransferId> cancelling;
    std::vector<TransferId> resuming;
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
            std::vector<TransferId> resumed;
            {
                std::lock_guard lock(mutex);
                if (stopping) return;
                newTransfers.swap(starting);
                cancelled.swap(cancelling);
                resumed.swap(resuming);
            }
            for (auto& transfer : newTransfers) begin(std::move(transfer));
            for (const TransferId id : cancelled) {
                finish(id, std::make_exception_ptr(HttpError(HttpError::Kind::cancelled, "Transfer cancelled")));
            }
            for (const TransferId id : resumed) unpause(id);

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

    void unpause(TransferId id) {
        const auto found = active.find(id);
        if (found == active.end() || !found->second->paused) return;
        Transfer& transfer = *found->second;
        transfer.paused = false;
        transfer.lastProgress = SteadyClock::now();
        // May deliver the held bytes at once, and onData may pause the transfer again.
        const CURLcode result = curl_easy_pause(transfer.easy.get(), CURLPAUSE_CONT);
        if (result != CURLE_OK) {
            // The held bytes were refused (the reader went, a limit was passed) or libcurl failed: the
            // transfer ends now rather than at its idle limit.
            auto error = transfer.failure ? std::exchange(transfer.failure, nullptr)
                                          : std::make_exception_ptr(errorFor(transfer, result));
            finish(id, std::move(error));
        }
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
                try {
                    transfer->deliverHead();
                } catch (...) {
                    error = std::current_exception();
                }
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
            // A paused transfer waits for its reader, not for the server.
            if (transfer->paused) continue;
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

void CurlWorker::validateRequest(const HttpRequest& request) {
    initialiseCurlOnce();
    const std::string& url = request.url;
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
    for (const auto& [name, value] : request.headers) validateHeader(name, value);
}

CurlWorker::TransferId CurlWorker::start(const HttpRequest& request, std::size_t maxBodyBytes, Callbacks callbacks) {
    auto transfer = std::make_unique<Transfer>();
    transfer->id = impl_->nextId++;
    transfer->url = request.url;
    if (request.carriesCredentials) {
        transfer->confinedToOrigin = originOf(request.url);
        if (!transfer->confinedToOrigin) throw HttpError(HttpError::Kind::invalidURL, "Invalid URL: " + request.url);
    }
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

void CurlWorker::resume(TransferId id) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->resuming.push_back(id);
    }
    curl_multi_wakeup(impl_->multi);
}

}  // namespace glimmo
