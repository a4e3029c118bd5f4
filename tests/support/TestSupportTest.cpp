#include "tests/support/LoopbackServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace glimmo::testing {
namespace {

TEST(TemporaryDirectoryTest, IsFreshPrivateAndRemovedWithItsContents) {
    std::filesystem::path remembered;
    {
        const TemporaryDirectory first;
        const TemporaryDirectory second;
        remembered = first.path();
        EXPECT_NE(first.path(), second.path());
        EXPECT_TRUE(std::filesystem::is_empty(first.path()));
        struct stat status {};
        ASSERT_EQ(::stat(first.path().c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u);
        std::filesystem::create_directories(first.path() / "nested");
        std::ofstream(first.path() / "nested" / "file.txt") << "content";
    }
    EXPECT_FALSE(std::filesystem::exists(remembered));
}

TEST(ScopedEnvironmentTest, RestoresChangedAndAbsentVariables) {
    ::setenv("GLIMMO_TEST_PRESENT", "original", 1);
    ::unsetenv("GLIMMO_TEST_ABSENT");
    {
        ScopedEnvironment environment;
        environment.set("GLIMMO_TEST_PRESENT", "changed");
        environment.set("GLIMMO_TEST_ABSENT", "now set");
        environment.set("GLIMMO_TEST_ABSENT", "set twice");
        EXPECT_STREQ(std::getenv("GLIMMO_TEST_PRESENT"), "changed");
        EXPECT_STREQ(std::getenv("GLIMMO_TEST_ABSENT"), "set twice");
        {
            const ScopedEnvironment inner("GLIMMO_TEST_PRESENT", std::nullopt);
            EXPECT_EQ(std::getenv("GLIMMO_TEST_PRESENT"), nullptr);
        }
        EXPECT_STREQ(std::getenv("GLIMMO_TEST_PRESENT"), "changed");
    }
    EXPECT_STREQ(std::getenv("GLIMMO_TEST_PRESENT"), "original");
    EXPECT_EQ(std::getenv("GLIMMO_TEST_ABSENT"), nullptr);
    ::unsetenv("GLIMMO_TEST_PRESENT");
}

// A plain TCP connection to 127.0.0.1, closed with this object.
class RawConnection {
public:
    explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = fd_ >= 0 && ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return connected_; }
    bool send(const std::string& text) const {
        return ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    }
    // Reads until `text` has arrived; false when the connection ends first or after 10 s.
    bool receiveUntil(const std::string& text) {
        while (received_.find(text) == std::string::npos) {
            if (readSome() <= 0) return false;
        }
        return true;
    }
    // True when the peer closes or resets the connection within 10 s.
    bool endsWithin10Seconds() {
        for (;;) {
            const ssize_t count = readSome();
            if (count == 0) return true;
            if (count < 0) return false;
        }
    }

private:
    // Bytes read; 0 when the connection has ended (closed or reset); -1 after 10 s without data.
    ssize_t readSome() {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, 10'000) <= 0) return -1;
        char buffer[4096];
        const ssize_t count = ::recv(fd_, buffer, sizeof buffer, 0);
        if (count < 0) return 0;
        received_.append(buffer, static_cast<std::size_t>(count));
        return count;
    }

    int fd_;
    bool connected_ = false;
    std::string received_;
};

TEST(LoopbackServerTest, StoppingClosesIdleKeepAliveAndSilentConnections) {
    auto server = std::make_unique<LoopbackServer>();
    server->on("GET", "/hello", [](const RecordedRequest&, ServerReply& reply) { reply.body = "hello"; });

    RawConnection keptAlive(server->port());
    ASSERT_TRUE(keptAlive.connected());
    ASSERT_TRUE(keptAlive.send("GET /hello HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    ASSERT_TRUE(keptAlive.receiveUntil("hello"));
    RawConnection silent(server->port());  // connects and never asks for anything
    ASSERT_TRUE(silent.connected());
    ASSERT_TRUE(LoopbackServer::waitUntil([&] { return server->requestCount() == 1; }, 10));

    server.reset();  // both connections are waiting on the server's side

    EXPECT_TRUE(keptAlive.endsWithin10Seconds());
    EXPECT_TRUE(silent.endsWithin10Seconds());
}

}  // namespace
}  // namespace glimmo::testing
