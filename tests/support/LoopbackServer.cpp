#include "tests/support/LoopbackServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <strings.h>
#include <thread>

namespace glimmo::testing {

namespace {

constexpr std::size_t threadCount = 32;

// cpp-httplib is not built with ThreadSanitizer: tables and buffers it fills in the first time a
// process takes each way through it are read by its other threads in a way the sanitizer cannot see.
// So the first server takes those ways itself before any other request, and each connection begins
// by acquiring what the connections before it released when they ended.
std::atomic<std::size_t> connectionsEnded{0};
std::once_flag firstServer;

class ConnectionPool final : public httplib::ThreadPool {
public:
    using ThreadPool::ThreadPool;
    void enqueue(std::function<void()> connection) override {
        ThreadPool::enqueue([connection = std::move(connection)] {
            connectionsEnded.load(std::memory_order_acquire);
            connection();
            connectionsEnded.fetch_add(1, std::memory_order_acq_rel);
        });
    }
};

// Replies of each kind the server sends, to a client that closes each connection after its reply.
void takeEveryWayOnce(httplib::Server& server, const std::string& baseURL) {
    server.Get("/.first/chunked", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/plain", [](std::size_t, httplib::DataSink& sink) {
            sink.write("a", 1);
            sink.done();
            return true;
        });
    });
    server.Post("/.first/sized", [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(1, "text/plain", [](std::size_t, std::size_t, httplib::DataSink& sink) {
            return sink.write("a", 1);
        });
    });
    const std::size_t before = connectionsEnded.load();
    httplib::Client client(baseURL);
    client.Get("/.first/chunked");
    client.Post("/.first/sized", "body", "text/plain");
    client.Get("/.first/missing");
    LoopbackServer::waitUntil([before] { return connectionsEnded.load() >= before + 3; }, 10);
}

std::optional<std::string> findHeader(const HeaderList& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && ::strncasecmp(key.data(), name.data(), name.size()) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    return -1;
}

// Calls `act` with each socket of this process that the server on `serverPort` accepted (local port
// `serverPort`, with a peer), and the peer's port; stops when `act` returns false. cpp-httplib does not
// expose the sockets of its connections, so they are found among the process's descriptors.
void forEachAcceptedSocket(int serverPort, const std::function<bool(int fd, int clientPort)>& act) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0) continue;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) continue;
        if (portOf(local) == serverPort && !act(fd, portOf(peer))) return;
    }
}

// cpp-httplib has no way to hang up without answering, so shut the accepted socket down; the
// server's own write then fails and it closes the connection.
void hangUp(int serverPort, int clientPort) {
    forEachAcceptedSocket(serverPort, [clientPort](int fd, int peerPort) {
        if (peerPort != clientPort) return true;
        ::shutdown(fd, SHUT_RDWR);
        return false;
    });
}

// A server thread that waits on an idle keep-alive connection does not look at the stop request until
// its keep-alive time-out ends, and stopping joins those threads. Shutting the connections down wakes
// them at once: they read the end of the stream and close.
void shutDownConnections(int serverPort) {
    forEachAcceptedSocket(serverPort, [](int fd, int) {
        ::shutdown(fd, SHUT_RDWR);
        return true;
    });
}

}  // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const {
    return findHeader(headers, name);
}

struct LoopbackServer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = -1;

    mutable std::mutex mutex;
    std::condition_variable stopSignal;
    bool stopping = false;
    std::vector<RecordedRequest> requests;
    std::atomic<std::size_t> abandoned{0};

    // Sleeps unless the server stops first; returns false when it does.
    bool pause(double seconds) {
        if (seconds <= 0) return true;
        std::unique_lock lock(mutex);
        return !stopSignal.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return stopping; });
    }

    RecordedRequest record(const httplib::Request& request) {
        RecordedRequest recorded;
        recorded.method = request.method;
        recorded.path = request.path;
        if (const auto question = request.target.find('?'); question != std::string::npos) {
            recorded.query = request.target.substr(question + 1);
        }
        for (const auto& [key, value] : request.headers) recorded.headers.emplace_back(key, value);
        recorded.body = request.body;
        std::lock_guard lock(mutex);
        requests.push_back(recorded);
        return recorded;
    }

    void respond(const httplib::Request& request, httplib::Response& response, const RouteHandler& handler) {
        const RecordedRequest recorded = record(request);
        ServerReply reply;
        handler(recorded, reply);

        if (!pause(reply.stallSeconds)) return;
        if (reply.closeWithoutReply) {
            hangUp(port, request.remote_port);
            return;
        }

        response.status = reply.status;
        std::string contentType = "text/plain";
        for (const auto& [key, value] : reply.headers) {
            if (::strcasecmp(key.c_str(), "Content-Type") == 0) {
                contentType = value;
            } else {
                response.set_header(key, value);
            }
        }

        if (!reply.chunks.empty()) {
            auto chunks = std::make_shared<std::vector<ServerChunk>>(std::move(reply.chunks));
            auto next = std::make_shared<std::size_t>(0);
            const auto dropAfter = reply.dropAfterBytes;
            response.set_chunked_content_provider(contentType, [this, chunks, next, dropAfter](std::size_t sent,
                                                                                               httplib::DataSink& sink) {
                if (dropAfter && sent >= *dropAfter) return false;
                if (*next == chunks->size()) {
                    sink.done();
                    return true;
                }
                const ServerChunk& chunk = (*chunks)[(*next)++];
                if (!pause(chunk.delaySeconds)) return false;
                if (chunk.data.empty()) return true;
                if (!sink.write(chunk.data.data(), chunk.data.size())) {
                    ++abandoned;
                    return false;
                }
                return true;
            });
        } else if (reply.dropAfterBytes) {
            auto body = std::make_shared<std::string>(std::move(reply.body));
            const std::size_t limit = std::min(*reply.dropAfterBytes, body->size());
            response.set_content_provider(body->size(), contentType,
                                          [body, limit](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                              if (offset >= limit) return false;
                                              return sink.write(body->data() + offset, limit - offset);
                                          });
        } else if (reply.onSent && !reply.body.empty()) {
            auto body = std::make_shared<std::string>(std::move(reply.body));
            response.set_content_provider(body->size(), contentType,
                                          [body, sent = std::move(reply.onSent)](std::size_t offset, std::size_t length,
                                                                                 httplib::DataSink& sink) {
                                              if (!sink.write(body->data() + offset, length)) return false;
                                              if (offset + length == body->size()) sent();
                                              return true;
                                          });
        } else {
            response.set_content(reply.body, contentType.c_str());
        }
    }
};

LoopbackServer::LoopbackServer() : impl_(std::make_unique<Impl>()) {
    // A client that hangs up must not kill the test process through a write to its socket.
    std::signal(SIGPIPE, SIG_IGN);
    // Each open connection holds one server thread, so allow many at once (tests run concurrent and
    // slow replies) and let idle keep-alive connections go soon. cpp-httplib takes ownership of the queue.
    impl_->server.new_task_queue = [] { return std::make_unique<ConnectionPool>(threadCount).release(); };
    impl_->server.set_keep_alive_timeout(1);
    // cpp-httplib writes a reply's head and body separately: with Nagle's algorithm the body waits for
    // the client's delayed acknowledgement of the head, some 40 ms per reply on a kept-alive
    // connection. Accepted connections take the option from the listening socket.
    impl_->server.set_tcp_nodelay(true);
    int listeningSocket = -1;
    impl_->server.set_socket_options([&listeningSocket](int socket) {
        httplib::default_socket_options(socket);
        listeningSocket = socket;
    });
    impl_->port = impl_->server.bind_to_any_port("127.0.0.1");
    if (impl_->port <= 0) throw std::runtime_error("LoopbackServer: cannot bind to 127.0.0.1");
    // cpp-httplib listens with a backlog of 5: more connections at once have their first packet
    // dropped and the client retries only a second later. Listening again raises the backlog.
    if (listeningSocket >= 0) ::listen(listeningSocket, SOMAXCONN);
    impl_->server.set_socket_options(httplib::default_socket_options);  // drops the reference to the local
    impl_->thread = std::thread([impl = impl_.get()] { impl->server.listen_after_bind(); });
    if (!waitUntil([&] { return impl_->server.is_running(); }, 10)) {
        impl_->server.stop();
        impl_->thread.join();
        throw std::runtime_error("LoopbackServer: server did not start");
    }
    std::call_once(firstServer, [this] { takeEveryWayOnce(impl_->server, baseURL()); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->stopSignal.notify_all();
    impl_->server.stop();  // no new connections from here on
    shutDownConnections(impl_->port);
    if (impl_->thread.joinable()) impl_->thread.join();
}

int LoopbackServer::port() const { return impl_->port; }

std::string LoopbackServer::baseURL() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }

void LoopbackServer::on(const std::string& method, const std::string& pattern, RouteHandler handler) {
    auto route = [impl = impl_.get(), handler = std::move(handler)](const httplib::Request& request,
                                                                   httplib::Response& response) {
        impl->respond(request, response, handler);
    };
    auto& server = impl_->server;
    if (method == "GET") {
        server.Get(pattern, route);
    } else if (method == "POST") {
        server.Post(pattern, route);
    } else if (method == "PUT") {
        server.Put(pattern, route);
    } else if (method == "PATCH") {
        server.Patch(pattern, route);
    } else if (method == "DELETE") {
        server.Delete(pattern, route);
    } else if (method == "OPTIONS") {
        server.Options(pattern, route);
    } else {
        throw std::invalid_argument("LoopbackServer: unsupported method " + method);
    }
}

std::vector<RecordedRequest> LoopbackServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

std::size_t LoopbackServer::requestCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests.size();
}

std::size_t LoopbackServer::abandonedReplies() const { return impl_->abandoned.load(); }

bool LoopbackServer::waitUntil(const std::function<bool()>& predicate, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace glimmo::testing
