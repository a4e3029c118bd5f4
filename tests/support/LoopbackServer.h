#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glimmo::testing {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// What the server received, in plain types.
struct RecordedRequest {
    std::string method;
    std::string path;
    std::string query;  // raw, without "?"
    HeaderList headers;
    std::string body;

    // First header with this name, compared case-insensitively.
    std::optional<std::string> header(std::string_view name) const;
};

struct ServerChunk {
    std::string data;
    double delaySeconds = 0;  // waited before this chunk is sent
};

// What the handler asks the server to send back.
struct ServerReply {
    int status = 200;
    HeaderList headers;  // "Content-Type" is taken from here (default "text/plain")
    std::string body;

    // When not empty, the reply is sent with chunked transfer encoding, chunk by chunk, and
    // `body` is ignored.
    std::vector<ServerChunk> chunks;

    // Closes the connection after this many body bytes although more was announced: the full length
    // of `body`, or (with chunks) the rest of the chunks, sent up to the chunk that reaches the count.
    std::optional<std::size_t> dropAfterBytes;
    // Closes the connection without sending anything.
    bool closeWithoutReply = false;
    // Waits this long before replying (cut short when the server stops).
    double stallSeconds = 0;
    // Called on the server's thread once a non-empty `body` is written in full to the connection (the
    // client may not have read it yet). Not with `chunks` or `dropAfterBytes`.
    std::function<void()> onSent;
};

using RouteHandler = std::function<void(const RecordedRequest&, ServerReply&)>;

// An HTTP server on 127.0.0.1 on a free port, serving from a background thread until destroyed.
// Destroying it closes the connections still open (idle keep-alive ones included) at once.
// Unmatched routes answer 404.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const;
    std::string baseURL() const;  // "http://127.0.0.1:PORT"
    std::string url(std::string_view path) const { return baseURL() + std::string(path); }

    // `method` is "GET", "POST", "PUT", "PATCH", "DELETE" or "OPTIONS"; `pattern` is a path or a
    // regular expression matched against the whole path. Register routes before sending requests.
    void on(const std::string& method, const std::string& pattern, RouteHandler handler);

    std::vector<RecordedRequest> requests() const;
    std::size_t requestCount() const;
    // Replies whose sending failed because the client had gone (closed the connection).
    std::size_t abandonedReplies() const;

    // Waits, at most `timeoutSeconds`, until `predicate` holds; returns whether it does.
    static bool waitUntil(const std::function<bool()>& predicate, double timeoutSeconds);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace glimmo::testing
