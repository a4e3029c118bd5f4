#include "platform/net/CurlWorker.h"

#include "platform/net/CurlURL.h"
#include "platform/net/Origin.h"
#include "platform/net/Redirect.h"

#include <curl/curl.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
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

// Polls at least this often so time-outs are noticed promptly.
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
    std::string method;  // of the current hop
    std::string url;     // of the current hop
    // When set, the origin that redirects must stay in.
    std::optional<std::string> confinedToOrigin;
    int hops = 0;
    CurlWorker::Callbacks callbacks;
    std::size_t maxBodyBytes = 0;
    std::size_t received = 0;
    HttpHeaders responseHeaders;
    // The response being read names a Location, as libcurl takes it: a line starting "Location:" with a value.
    bool namesLocation = false;
    bool headDelivered = false;
    bool paused = false;  // by onData, until resume()
    CurlWorker::TimeLimit timeLimitKind = CurlWorker::TimeLimit::total;
    std::chrono::duration<double> timeLimit{60};
    SteadyClock::time_point started = SteadyClock::now();
    SteadyClock::time_point lastProgress = SteadyClock::now();
    curl_off_t lastDownloaded = 0;
    curl_off_t lastUploaded = 0;
    std::exception_ptr failure;  // set by a callback that aborted the transfer
    char errorBuffer[CURL_ERROR_SIZE] = {};

    void deliverHead() {
        if (headDelivered) return;
        headDelivered = true;
        if (callbacks.onHead) callbacks.onHead(static_cast<int>(responseCode()), std::move(responseHeaders));
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

    long responseCode() const {
        long code = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &code);
        return code;
    }

    // A 3xx response with a Location is one libcurl names an address for once it has ended; whether
    // the request goes there is decided then.
    bool isRedirect() const {
        const long code = responseCode();
        return namesLocation && code >= 300 && code < 400;
    }

    std::size_t takeBody(std::string_view bytes) {
        lastProgress = SteadyClock::now();
        // A redirect's own body reaches no one: the reply is the one it leads to.
        if (isRedirect()) return bytes.size();
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
            // A new response starts (after an interim 1xx): keep only its headers.
            responseHeaders.clear();
            namesLocation = false;
        } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (!responseHeaders.empty()) {
                auto& value = responseHeaders.back().second;
                value += ' ';
                value += trim(line);
            }
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            const auto& [name, value] = responseHeaders.emplace_back(std::string(trim(line.substr(0, colon))),
                                                                     std::string(trim(line.substr(colon + 1))));
            if (colon == name.size() && equalsIgnoringCase(name, "Location") && !value.empty()) namesLocation = true;
        }
    }

    // Goes on at the next address with a fresh response; the time limit runs on from the first hop.
    void restartAt(const RedirectHop& hop) {
        url = hop.url;
        curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
        if (hop.becomesGet) {
            method = "GET";
            // A method named by hand (PUT, DELETE...) would otherwise still be sent.
            curl_easy_setopt(easy.get(), CURLOPT_CUSTOMREQUEST, nullptr);
            curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L);
        }
        ++hops;
        received = 0;
        responseHeaders.clear();
        namesLocation = false;
        errorBuffer[0] = '\0';
        lastProgress = SteadyClock::now();
    }
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
            const auto wait = expireTransfersOutOfTime();
            curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
        }
    }

    void begin(std::unique_ptr<Transfer> transfer) {
        const TransferId id = transfer->id;
        transfer->started = transfer->lastProgress = SteadyClock::now();
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
                    if (followRedirect(*transfer)) continue;
                    transfer->deliverHead();
                } catch (...) {
                    error = std::current_exception();
                }
            }
            finish(transfer->id, std::move(error));
        }
    }

    // The one place a request goes elsewhere: libcurl names an address for every 3xx response with a
    // Location, however its status line was written, and nothing is sent there before this allows it.
    // Returns whether the transfer goes on.
    bool followRedirect(Transfer& transfer) {
        char* target = nullptr;
        curl_easy_getinfo(transfer.easy.get(), CURLINFO_REDIRECT_URL, &target);
        // A response whose head has gone to the reader stands as the reply.
        if (target != nullptr && !transfer.headDelivered) {
            const RedirectHop hop =
                nextHop(transfer.responseCode(), target, transfer.method, transfer.hops, transfer.confinedToOrigin);
            curl_multi_remove_handle(multi, transfer.easy.get());
            transfer.restartAt(hop);
            if (const CURLMcode code = curl_multi_add_handle(multi, transfer.easy.get()); code != CURLM_OK) {
                throw HttpError(HttpError::Kind::transport, curl_multi_strerror(code));
            }
            return true;
        }
        // Its body was held back as a redirect's, so without an address to go to it cannot stand either.
        if (transfer.isRedirect()) {
            throw HttpError(HttpError::Kind::transport, "A redirect without an address to follow: " + transfer.url);
        }
        return false;
    }

    static HttpError errorFor(const Transfer& transfer, CURLcode result) {
        const std::string detail = transfer.errorBuffer[0] != '\0' ? transfer.errorBuffer : curl_easy_strerror(result);
        switch (result) {
            // Addresses and their schemes are checked before a transfer starts; once it runs, libcurl
            // also says "unsupported protocol" of a reply it cannot read (a status of four digits).
            case CURLE_URL_MALFORMAT:
                return HttpError(HttpError::Kind::invalidURL, detail);
            case CURLE_OPERATION_TIMEDOUT:
                return HttpError(HttpError::Kind::timedOut, detail);
            default:
                return HttpError(HttpError::Kind::transport, detail);
        }
    }

    // When the transfer runs out of time: a whole reply within its limit in total, however slowly bytes
    // still come; a stream once it goes that long without progress. A paused stream waits for its
    // reader, not for the server.
    static std::optional<SteadyClock::time_point> deadlineOf(const Transfer& transfer) {
        const auto limit = std::chrono::duration_cast<SteadyClock::duration>(transfer.timeLimit);
        if (transfer.timeLimitKind == CurlWorker::TimeLimit::total) return transfer.started + limit;
        if (transfer.paused) return std::nullopt;
        return transfer.lastProgress + limit;
    }

    static std::string timedOutMessage(const Transfer& transfer) {
        const std::string seconds = std::to_string(transfer.timeLimit.count()) + " seconds";
        if (transfer.timeLimitKind == CurlWorker::TimeLimit::total) {
            return "The request did not finish within " + seconds + ": " + transfer.url;
        }
        return "The request timed out after " + seconds + " without data: " + transfer.url;
    }

    // Fails the transfers past their deadline; returns how long to poll.
    std::chrono::milliseconds expireTransfersOutOfTime() {
        const auto now = SteadyClock::now();
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(longestPoll);
        std::vector<TransferId> expired;
        for (const auto& [id, transfer] : active) {
            const auto deadline = deadlineOf(*transfer);
            if (!deadline) continue;
            if (*deadline <= now) {
                expired.push_back(id);
            } else {
                wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(*deadline - now));
            }
        }
        for (const TransferId id : expired) {
            auto error = std::make_exception_ptr(HttpError(HttpError::Kind::timedOut, timedOutMessage(*active.at(id))));
            finish(id, std::move(error));
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
    CurlURLHandle handle(curl_url());
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

CurlWorker::TransferId CurlWorker::start(const HttpRequest& request, std::size_t maxBodyBytes, TimeLimit timeLimit,
                                         Callbacks callbacks) {
    auto transfer = std::make_unique<Transfer>();
    transfer->id = impl_->nextId++;
    transfer->method = request.method;
    transfer->url = request.url;
    if (request.carriesCredentials) {
        transfer->confinedToOrigin = originOf(request.url);
        if (!transfer->confinedToOrigin) throw HttpError(HttpError::Kind::invalidURL, "Invalid URL: " + request.url);
    }
    transfer->requestBody = request.body;
    transfer->callbacks = std::move(callbacks);
    transfer->maxBodyBytes = maxBodyBytes;
    transfer->timeLimitKind = timeLimit;
    transfer->timeLimit = std::chrono::duration<double>(request.timeoutSeconds > 0 ? request.timeoutSeconds : 60);
    transfer->easy.reset(curl_easy_init());
    if (!transfer->easy) throw HttpError(HttpError::Kind::transport, "curl_easy_init failed");

    CURL* easy = transfer->easy.get();
    curl_easy_setopt(easy, CURLOPT_URL, transfer->url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are followed by hand, one decision per hop (followRedirect).
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A transfer given up while its host name is looked up (cancelled, out of time) leaves the lookup's
    // thread to end alone: removing it would otherwise wait for the system's resolver, whose own
    // time-out runs to tens of seconds, and hold every other transfer and the quit meanwhile.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
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
