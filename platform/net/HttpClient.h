#pragma once

#include "platform/net/HttpTypes.h"
#include "platform/net/LineReader.h"
#include "platform/runtime/Task.h"

#include <memory>
#include <mutex>
#include <string>

namespace glimmo {

class CurlWorker;

// The head of a streamed reply and its body as lines. Each line comes without its terminator
// (LF or CRLF); a last line without a newline is delivered too. A transport failure, a dropped
// connection or a line past the options' longest finishes `lines` with the HttpError; dropping or
// cancelling the consumer aborts the transfer. A consumer that falls behind pauses the transfer.
struct HttpLineStream {
    int status = 0;
    HttpHeaders headers;
    LineReader lines;

    std::optional<std::string> header(std::string_view name) const { return findHeader(headers, name); }
};

// HTTP over libcurl. All transfers run on one worker thread (started on first use, joined when
// the client is destroyed); results resume the awaiting task on its own executor, or are dropped when
// that executor has gone (the main loop at quit, with the process-wide client). Cancelling the
// awaiting task aborts its transfer and resumes it with CancellationError, as does destroying the
// client while transfers run. Redirects are followed (within the origin for requests that carry
// credentials), and only the final reply is returned; TLS is always verified. A header name or value
// that would break the request's head fails with HttpError::Kind::invalidHeader before anything is sent.
class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    static HttpClient& shared();

    // The whole reply. Every status is a reply; only failures of the exchange throw HttpError.
    Task<HttpResponse> send(HttpRequest request, const RequestOptions& options = {});

    // Resumes once the reply's head has arrived; the body follows as lines.
    Task<HttpLineStream> streamLines(HttpRequest request, LineStreamOptions options = {});

private:
    std::shared_ptr<CurlWorker> worker();
    Task<HttpResponse> sendWithOptions(HttpRequest request, RequestOptions options);

    std::once_flag workerStarted_;
    // Shared with in-flight transfers, so a stream that outlives the client can still let go of it.
    std::shared_ptr<CurlWorker> worker_;
};

}  // namespace glimmo
