#pragma once

// The transport under HttpClient: one thread driving every transfer through one curl multi handle.
// Callbacks run on that thread and must only hand results on (resume a continuation, feed a stream).
// No exception crosses into libcurl: one thrown by a callback ends its transfer with that error.

#include "platform/net/HttpTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string_view>

namespace glimmo {

class CurlWorker {
public:
    using TransferId = std::uint64_t;

    // What onData did with the bytes it was given.
    enum class Intake {
        taken,
        // Not taken: the transfer waits, and the same bytes come again after resume().
        paused,
        // The transfer ends as cancelled.
        aborted,
    };

    struct Callbacks {
        // Once, before the first body bytes (or at the end of a reply without a body).
        std::function<void(int status, HttpHeaders headers)> onHead;
        // Body bytes as they arrive.
        std::function<Intake(std::string_view bytes)> onData;
        // Once at the end: nullptr on success, else an HttpError.
        std::function<void(std::exception_ptr error)> onComplete;
    };

    CurlWorker();
    // Stops the thread; transfers still running complete with HttpError(cancelled).
    ~CurlWorker();
    CurlWorker(const CurlWorker&) = delete;
    CurlWorker& operator=(const CurlWorker&) = delete;

    // Throws HttpError(invalidURL) for URLs that are malformed or not http/https, and
    // HttpError(invalidHeader) for header names that are no HTTP tokens or values holding a control
    // character (a line break would end the header and start another).
    static void validateRequest(const HttpRequest& request);

    // How request.timeoutSeconds bounds a transfer.
    enum class TimeLimit {
        // The whole exchange, however slowly bytes still arrive: for replies read whole.
        total,
        // The longest wait without progress (connecting, sending or receiving): for streams, which may
        // rightly go on for long. A transfer paused by onData waits for its reader, not for the server.
        idle,
    };

    // Redirects are followed (at most 16); a request that carries credentials follows them only
    // within its origin, else it ends with HttpError(redirectRefused) and nothing is sent there. Only
    // the final response reaches onHead and onData.
    TransferId start(const HttpRequest& request, std::size_t maxBodyBytes, TimeLimit timeLimit, Callbacks callbacks);
    // Aborts the transfer; its onComplete gets HttpError(cancelled). Unknown or finished ids are ignored.
    void cancel(TransferId id);
    // Continues a transfer that onData paused. Unknown, finished or running ids are ignored.
    void resume(TransferId id);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace glimmo
