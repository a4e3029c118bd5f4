#pragma once

#include "platform/runtime/ErrorValue.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glimmo {

class URLCache;

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    HttpHeaders headers;
    std::string body;
    // Past this many seconds the exchange fails with HttpError::Kind::timedOut: a whole reply
    // (HttpClient::send) in total, however slowly bytes still arrive; a line stream only when it goes
    // this long without progress (connecting, sending or receiving), so a long stream lives on.
    double timeoutSeconds = 60;
    // The headers carry a secret (an API key): redirects are followed only within the request's
    // origin (scheme, host and port), so neither the secret nor the body reaches another server or
    // plain http. A redirect elsewhere, whatever its status line, fails with
    // HttpError::Kind::redirectRefused, naming the address.
    bool carriesCredentials = false;
};

struct HttpResponse {
    int status = 0;
    HttpHeaders headers;
    std::string body;

    // First header with this name, compared case-insensitively.
    std::optional<std::string> header(std::string_view name) const;
};

// Case-insensitive lookup shared by responses and line streams.
std::optional<std::string> findHeader(const HttpHeaders& headers, std::string_view name);

// A failed exchange. HTTP statuses are never errors: they come back in the response.
class HttpError : public std::runtime_error, public CopiedAcrossThreads {
public:
    // invalidHeader: a header name or value that would break the request's head (a line break, say).
    enum class Kind { invalidURL, invalidHeader, transport, timedOut, cancelled, tooLarge, redirectRefused };

    HttpError(Kind kind, const std::string& message);

    Kind kind() const noexcept { return kind_; }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }

private:
    Kind kind_;
};

struct RequestOptions {
    // Largest body accepted; 0 means no limit. A larger body aborts with HttpError::Kind::tooLarge.
    std::size_t maxBodyBytes = 0;
    // GET responses are answered from and stored in this cache when given. Held weakly: a reply that
    // arrives once the cache's owner has let it go is not stored.
    std::weak_ptr<URLCache> cache;
};

struct LineStreamOptions {
    // A longer line ends the stream with HttpError::Kind::tooLarge.
    std::size_t maxLineBytes = 32 << 20;
    // While lines of this many bytes wait unread the transfer pauses, holding the server back, so a
    // consumer slower than the network keeps memory flat however long the stream.
    std::size_t maxBufferedBytes = 1 << 20;
};

}  // namespace glimmo
