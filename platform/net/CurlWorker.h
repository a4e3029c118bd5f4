#pragma once

// The transport under HttpClient: one thread driving every transfer through one curl multi handle.
// Callbacks run on that thread and must only hand results on (resume a continuation, feed a stream).

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

    struct Callbacks {
        // Once, before the first body bytes (or at the end of a reply without a body).
        std::function<void(int status, HttpHeaders headers)> onHead;
        // Body bytes as they arrive; returning false aborts the transfer.
        std::function<bool(std::string_view bytes)> onData;
        // Once at the end: nullptr on success, else an HttpError.
        std::function<void(std::exception_ptr error)> onComplete;
    };

    CurlWorker();
    // Stops the thread; transfers still running complete with HttpError(cancelled).
    ~CurlWorker();
    CurlWorker(const CurlWorker&) = delete;
    CurlWorker& operator=(const CurlWorker&) = delete;

    // Throws HttpError(invalidURL) for URLs that are malformed or not http/https.
    static void validateURL(const std::string& url);

    TransferId start(const HttpRequest& request, std::size_t maxBodyBytes, Callbacks callbacks);
    // Aborts the transfer; its onComplete gets HttpError(cancelled). Unknown or finished ids are ignored.
    void cancel(TransferId id);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace glimmo
