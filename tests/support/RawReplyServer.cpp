#include "tests/support/RawReplyServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <stdexcept>
#include <thread>

namespace glimmo::testing {

namespace {

// Waits at most this long for a socket, so a stop request is seen soon.
constexpr int pollMilliseconds = 50;

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, pollMilliseconds) > 0;
}

std::size_t contentLength(std::string head) {
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto field = head.find("\ncontent-length:");
    return field == std::string::npos ? 0 : std::stoul(head.substr(field + 16));
}

}  // namespace

struct RawReplyServer::Impl {
    const std::string reply;
    Socket listener{::socket(AF_INET, SOCK_STREAM, 0)};
    int port = -1;
    std::atomic<bool> stopping{false};
    std::atomic<std::size_t> connections{0};
    std::thread thread;

    explicit Impl(std::string reply) : reply(std::move(reply)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener.fd() < 0 || ::bind(listener.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener.fd(), SOMAXCONN) != 0 ||
            ::getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("RawReplyServer: cannot listen on 127.0.0.1");
        }
        port = ntohs(address.sin_port);
        thread = std::thread([this] { serve(); });
    }

    ~Impl() {
        stopping = true;
        ::shutdown(listener.fd(), SHUT_RDWR);  // wakes the thread waiting for a connection
        thread.join();
    }

    void serve() {
        while (!stopping) {
            if (!readable(listener.fd())) continue;
            const Socket connection(::accept(listener.fd(), nullptr, nullptr));
            if (connection.fd() < 0) continue;
            ++connections;
            if (readRequest(connection.fd())) ::send(connection.fd(), reply.data(), reply.size(), MSG_NOSIGNAL);
        }
    }

    // Reads the head and the body it announces; false when the client goes or the server stops first.
    bool readRequest(int fd) const {
        std::string received;
        for (;;) {
            const auto headEnd = received.find("\r\n\r\n");
            if (headEnd != std::string::npos &&
                received.size() >= headEnd + 4 + contentLength(received.substr(0, headEnd))) {
                return true;
            }
            if (stopping) return false;
            if (!readable(fd)) continue;
            char buffer[4096];
            const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
            if (count <= 0) return false;
            received.append(buffer, static_cast<std::size_t>(count));
        }
    }
};

RawReplyServer::RawReplyServer(std::string reply) : impl_(std::make_unique<Impl>(std::move(reply))) {}

RawReplyServer::~RawReplyServer() = default;

std::string RawReplyServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(impl_->port) + std::string(path);
}

std::size_t RawReplyServer::connectionCount() const { return impl_->connections.load(); }

}  // namespace glimmo::testing
