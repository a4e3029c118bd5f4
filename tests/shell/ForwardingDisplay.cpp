#include "ForwardingDisplay.h"

#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace glimmo::testing {
namespace {

// The abstract twin of /tmp/.X11-unix/X<number>, where Xlib and XCB look first.
sockaddr_un abstractAddress(int number, socklen_t& length) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    std::memcpy(address.sun_path + 1, path.data(), path.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    return address;
}

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// Moves what is waiting on `from` to `to`, with the descriptors passed along with it (shared memory
// for images); false once either side has closed.
bool relay(int from, int to) {
    char bytes[65536];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 16)];
    iovec part{bytes, sizeof bytes};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(from, &message, MSG_CMSG_CLOEXEC);
    if (got <= 0) return false;
    std::vector<int> passed;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
        const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        passed.resize(count);
        std::memcpy(passed.data(), CMSG_DATA(header), count * sizeof(int));
    }
    std::size_t sent = 0;
    bool fine = true;
    while (fine && sent < static_cast<std::size_t>(got)) {
        iovec rest{bytes + sent, static_cast<std::size_t>(got) - sent};
        msghdr out{};
        out.msg_iov = &rest;
        out.msg_iovlen = 1;
        alignas(cmsghdr) char outControl[CMSG_SPACE(sizeof(int) * 16)];
        if (sent == 0 && !passed.empty()) {
            out.msg_control = outControl;
            out.msg_controllen = CMSG_SPACE(sizeof(int) * passed.size());
            cmsghdr* header = CMSG_FIRSTHDR(&out);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int) * passed.size());
            std::memcpy(CMSG_DATA(header), passed.data(), sizeof(int) * passed.size());
        }
        const ssize_t put = ::sendmsg(to, &out, MSG_NOSIGNAL);
        fine = put > 0;
        if (fine) sent += static_cast<std::size_t>(put);
    }
    for (const int fd : passed) ::close(fd);
    return fine;
}

// Reads `size` bytes, waiting at most a few seconds for them.
bool readFully(int fd, unsigned char* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, 5000) <= 0) return false;
        const ssize_t count = ::read(fd, into + got, size - got);
        if (count <= 0) return false;
        got += static_cast<std::size_t>(count);
    }
    return true;
}

std::size_t padded(std::size_t size) { return (size + 3) / 4 * 4; }

// Turns a client away as a server does: it reads the client's setup request and answers "Failed" with
// a reason, then closes. (A connection closed before the client has written would end it with SIGPIPE
// instead.)
void turnAway(int client) {
    unsigned char request[12];
    if (readFully(client, request, sizeof request)) {
        const bool bigEndian = request[0] == 'B';
        const auto card16 = [&](std::size_t at) {
            return bigEndian ? (request[at] << 8 | request[at + 1]) : (request[at + 1] << 8 | request[at]);
        };
        std::vector<unsigned char> authorization(padded(card16(6)) + padded(card16(8)));
        if (readFully(client, authorization.data(), authorization.size())) {
            const std::string reason = "the display turns this client away";
            std::vector<unsigned char> reply(8 + padded(reason.size()), 0);
            const auto put16 = [&](std::size_t at, unsigned value) {
                reply[at + (bigEndian ? 0 : 1)] = static_cast<unsigned char>(value >> 8);
                reply[at + (bigEndian ? 1 : 0)] = static_cast<unsigned char>(value & 0xFF);
            };
            reply[1] = static_cast<unsigned char>(reason.size());
            put16(2, 11);
            put16(6, static_cast<unsigned>(padded(reason.size()) / 4));
            std::memcpy(reply.data() + 8, reason.data(), reason.size());
            [[maybe_unused]] const ssize_t written = ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
    }
    ::close(client);
}

} // namespace

struct ForwardingDisplay::Relays {
    struct Pair {
        int client;
        int server;
    };
    std::vector<Pair> pairs;
    bool hadClient = false;
};

ForwardingDisplay::ForwardingDisplay(const std::string& serverDisplay, Rule rule, std::string& why)
    : serverSocket_("/tmp/.X11-unix/X" + serverDisplay.substr(1)), rule_(rule), relays_(std::make_unique<Relays>()) {
    for (int number = 700; number < 1000 && listening_ < 0; ++number) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        socklen_t length = 0;
        const sockaddr_un address = abstractAddress(number, length);
        if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(fd, 16) == 0) {
            listening_ = fd;
            displayName_ = ":" + std::to_string(number);
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    if (listening_ < 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
        why = "no free display number for the forwarding display";
        displayName_.clear();
        return;
    }
    thread_ = std::thread([this] { serve(); });
}

ForwardingDisplay::~ForwardingDisplay() {
    if (thread_.joinable()) {
        [[maybe_unused]] const ssize_t written = ::write(wake_[1], "x", 1);
        thread_.join();
    }
    for (const auto& pair : relays_->pairs) {
        ::close(pair.client);
        ::close(pair.server);
    }
    for (const int fd : {listening_, wake_[0], wake_[1]}) {
        if (fd >= 0) ::close(fd);
    }
}

void ForwardingDisplay::serve() {
    auto& pairs = relays_->pairs;
    for (;;) {
        std::vector<pollfd> watched{{wake_[0], POLLIN, 0}, {listening_, POLLIN, 0}};
        for (const auto& pair : pairs) {
            watched.push_back({pair.client, POLLIN, 0});
            watched.push_back({pair.server, POLLIN, 0});
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) continue;
        if (watched[0].revents) return;
        // Forwarded first: a connection's end is seen before the next one is judged.
        std::vector<Relays::Pair> open;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const auto& pair = pairs[i];
            const bool fine = (!watched[2 + 2 * i].revents || relay(pair.client, pair.server)) &&
                              (!watched[3 + 2 * i].revents || relay(pair.server, pair.client));
            if (fine) {
                open.push_back(pair);
            } else {
                ::close(pair.client);
                ::close(pair.server);
            }
        }
        pairs = std::move(open);
        if (!watched[1].revents) continue;
        const int client = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        const bool refuse = rule_ == Rule::refuseAfterTheFirst ? relays_->hadClient : relays_->hadClient && pairs.empty();
        const int server = refuse ? -1 : connectTo(serverSocket_);
        if (server < 0) {
            ++refused_;
            turnAway(client);
            continue;
        }
        relays_->hadClient = true;
        pairs.push_back({client, server});
    }
}

} // namespace glimmo::testing
