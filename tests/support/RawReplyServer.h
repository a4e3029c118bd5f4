#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace glimmo::testing {

// A TCP server on 127.0.0.1 on a free port that answers every request with the same bytes, written
// as given: replies no HTTP library would write, such as a malformed status line. It reads a request's
// head and its Content-Length body, answers, and closes the connection. Serves one connection at a
// time from a background thread until destroyed.
class RawReplyServer {
public:
    explicit RawReplyServer(std::string reply);
    ~RawReplyServer();
    RawReplyServer(const RawReplyServer&) = delete;
    RawReplyServer& operator=(const RawReplyServer&) = delete;

    std::string url(std::string_view path) const;  // "http://127.0.0.1:PORT" + path
    // Connections accepted so far, answered or not.
    std::size_t connectionCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace glimmo::testing
