#include "NetTestFixture.h"

#include "platform/net/Origin.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/RawReplyServer.h"

#include <fstream>
#include <string>

#include <arpa/inet.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>

namespace glimmo {
namespace {

using glimmo::testing::RecordedRequest;
using glimmo::testing::ServerChunk;
using glimmo::testing::ServerReply;

TEST_F(NetTest, SendsMethodHeadersAndBodyAndReadsTheReply) {
    server.on("POST", "/echo", [](const RecordedRequest& request, ServerReply& reply) {
        reply.status = 201;
        reply.headers = {{"Content-Type", "application/json"}, {"X-Reply-Marker", "from server"}};
        reply.body = "got:" + request.body;
    });
    HttpRequest request = get("/echo?alt=sse&key=1");
    request.method = "POST";
    request.headers = {{"x-goog-api-key", "secret"}, {"Content-Type", "application/json"}};
    request.body = R"({"contents":[]})";

    const HttpResponse response = run(client.send(request));

    EXPECT_EQ(response.status, 201);
    EXPECT_EQ(response.body, R"(got:{"contents":[]})");
    EXPECT_EQ(response.header("x-reply-marker"), "from server");
    EXPECT_EQ(response.header("CONTENT-TYPE"), "application/json");
    EXPECT_EQ(response.header("X-Absent"), std::nullopt);

    const auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, "POST");
    EXPECT_EQ(received[0].path, "/echo");
    EXPECT_EQ(received[0].query, "alt=sse&key=1");
    EXPECT_EQ(received[0].header("X-Goog-Api-Key"), "secret");
    EXPECT_EQ(received[0].header("content-type"), "application/json");
    EXPECT_EQ(received[0].body, R"({"contents":[]})");
}

TEST_F(NetTest, BodiesWithEveryByteValueArriveIntactBothWays) {
    std::string allBytes;
    for (int value = 0; value < 256; ++value) allBytes += static_cast<char>(value);
    server.on("PUT", "/bytes", [](const RecordedRequest& request, ServerReply& reply) { reply.body = request.body + request.body; });
    HttpRequest request = get("/bytes");
    request.method = "PUT";
    request.body = allBytes;

    const HttpResponse response = run(client.send(request));

    EXPECT_EQ(response.body, allBytes + allBytes);
    EXPECT_EQ(server.requests().at(0).body, allBytes);
}

TEST_F(NetTest, ErrorStatusesAreRepliesNotExceptions) {
    server.on("GET", "/status/(\\d+)", [](const RecordedRequest& request, ServerReply& reply) {
        reply.status = std::stoi(request.path.substr(std::string("/status/").size()));
        if (reply.status != 204) reply.body = "status body";
    });

    EXPECT_EQ(run(client.send(get("/status/204"))).status, 204);
    EXPECT_EQ(run(client.send(get("/status/204"))).body, "");
    const HttpResponse notFound = run(client.send(get("/status/404")));
    EXPECT_EQ(notFound.status, 404);
    EXPECT_EQ(notFound.body, "status body");
    EXPECT_EQ(run(client.send(get("/status/500"))).status, 500);
    // A path without a route gets the server's own 404.
    EXPECT_EQ(run(client.send(get("/nowhere"))).status, 404);
}

TEST_F(NetTest, MalformedAndNonHttpURLsAreInvalid) {
    HttpRequest request;
    request.url = "not a url";
    EXPECT_EQ(httpErrorOf(client.send(request)).kind(), HttpError::Kind::invalidURL);
    request.url = "file:///etc/passwd";
    EXPECT_EQ(httpErrorOf(client.send(request)).kind(), HttpError::Kind::invalidURL);
    request.url = "";
    EXPECT_EQ(httpErrorOf(client.streamLines(request)).kind(), HttpError::Kind::invalidURL);
}

TEST_F(NetTest, ConnectionRefusedIsATransportError) {
    int closedPort = 0;
    {
        const glimmo::testing::LoopbackServer gone;
        closedPort = gone.port();
    }
    HttpRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(closedPort) + "/";
    request.timeoutSeconds = 5;

    const HttpError error = httpErrorOf(client.send(request));

    EXPECT_EQ(error.kind(), HttpError::Kind::transport);
    EXPECT_FALSE(std::string(error.what()).empty());
}

TEST_F(NetTest, ServerThatHangsUpOrCutsTheBodyShortIsATransportError) {
    server.on("GET", "/hangup", [](const RecordedRequest&, ServerReply& reply) { reply.closeWithoutReply = true; });
    server.on("GET", "/short", [](const RecordedRequest&, ServerReply& reply) {
        reply.body = std::string(1000, 'x');
        reply.dropAfterBytes = 10;
    });

    EXPECT_EQ(httpErrorOf(client.send(get("/hangup"))).kind(), HttpError::Kind::transport);
    EXPECT_EQ(httpErrorOf(client.send(get("/short"))).kind(), HttpError::Kind::transport);
}

TEST_F(NetTest, StalledServerTimesOut) {
    server.on("GET", "/stall", [](const RecordedRequest&, ServerReply& reply) {
        reply.stallSeconds = 60;
        reply.body = "too late";
    });

    const HttpError error = httpErrorOf(client.send(get("/stall", 0.3)));

    EXPECT_EQ(error.kind(), HttpError::Kind::timedOut);
}

TEST_F(NetTest, AWholeReplyHasItsTimeOutInTotalAStreamOnlyWithoutProgress) {
    // Ten lines 0.1 s apart: never a pause as long as the 0.6 s time-out, but longer than it in total.
    server.on("GET", "/slow", [](const RecordedRequest&, ServerReply& reply) {
        for (int index = 0; index < 10; ++index) reply.chunks.push_back({"line\n", 0.1});
    });

    EXPECT_EQ(httpErrorOf(client.send(get("/slow", 0.6))).kind(), HttpError::Kind::timedOut);
    HttpLineStream stream = run(client.streamLines(get("/slow", 0.6)));
    const DrainedLines drained = run(drain(std::move(stream.lines)));
    EXPECT_EQ(drained.lines.size(), 10u);
    EXPECT_FALSE(drained.error);
}

TEST_F(NetTest, BodyOverTheLimitIsRefused) {
    server.on("GET", "/big", [](const RecordedRequest&, ServerReply& reply) { reply.body = std::string(100, 'b'); });

    EXPECT_EQ(httpErrorOf(client.send(get("/big"), {.maxBodyBytes = 99})).kind(), HttpError::Kind::tooLarge);
    EXPECT_EQ(run(client.send(get("/big"), {.maxBodyBytes = 100})).body.size(), 100u);
    EXPECT_EQ(run(client.send(get("/big"), {.maxBodyBytes = 0})).body.size(), 100u);
}

TEST_F(NetTest, CancellingTheTaskAbortsTheTransfer) {
    // A reply that would take 20 s, one small piece at a time.
    server.on("GET", "/endless", [](const RecordedRequest&, ServerReply& reply) {
        for (int index = 0; index < 400; ++index) reply.chunks.push_back({"tick\n", 0.05});
    });
    bool cancelled = false;
    bool finishedOtherwise = false;
    auto fetch = [&]() -> Task<void> {
        try {
            co_await client.send(get("/endless"));
            finishedOtherwise = true;
        } catch (const CancellationError&) {
            cancelled = true;
        } catch (...) {
            finishedOtherwise = true;
        }
    };
    const TaskHandle handle = startTask(loop, fetch());
    ASSERT_TRUE(runLoopUntil([&] { return server.requestCount() == 1; }));

    handle.cancel();

    ASSERT_TRUE(runLoopUntil([&] { return handle.isFinished(); }));
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(finishedOtherwise);
    EXPECT_TRUE(glimmo::testing::LoopbackServer::waitUntil([&] { return server.abandonedReplies() == 1; }, waitLimit));
}

TEST_F(NetTest, ManyRequestsAtOnceAllComplete) {
    server.on("GET", "/item/(\\d+)", [](const RecordedRequest& request, ServerReply& reply) {
        reply.chunks = {ServerChunk{request.path, 0.01}};
    });
    int completed = 0;
    std::vector<TaskHandle> handles;
    for (int index = 0; index < 20; ++index) {
        handles.push_back(startTask(loop, [](HttpClient& client, HttpRequest request, int& completed) -> Task<void> {
            const HttpResponse response = co_await client.send(request);
            if (response.body == request.url.substr(request.url.find("/item/"))) ++completed;
        }(client, get("/item/" + std::to_string(index)), completed)));
    }

    EXPECT_TRUE(runLoopUntil([&] { return completed == 20; }));
}

TEST_F(NetTest, RequestsCarryingCredentialsFollowRedirectsOnlyWithinTheirOrigin) {
    // Another port of the same host is another origin.
    const glimmo::testing::RawReplyServer elsewhere(
        "HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\ncollected");
    server.on("POST", "/moved", [](const RecordedRequest&, ServerReply& reply) {
        reply.status = 307;
        reply.headers = {{"Location", "/here"}};
    });
    server.on("POST", "/here", [](const RecordedRequest& request, ServerReply& reply) { reply.body = "here:" + request.body; });
    server.on("POST", "/away", [&elsewhere](const RecordedRequest&, ServerReply& reply) {
        reply.status = 307;
        reply.headers = {{"Location", elsewhere.url("/collect")}};
    });
    HttpRequest request = get("/moved");
    request.method = "POST";
    request.body = "prompt";
    request.headers = {{"x-api-key", "secret"}};
    request.carriesCredentials = true;

    EXPECT_EQ(run(client.send(request)).body, "here:prompt");
    // Whatever the status line looks like, libcurl takes the Location of any 3xx reply.
    for (const std::string statusLine : {"HTTP/1.1 307 Temporary Redirect", "HTTP/1.1 304 Not Modified",
                                         "HTTP/1.1  302 Found", "HTTP/1.1  307 Temporary Redirect", "HTTP/1.1 301",
                                         "HTTP/1.0 303 See Other", "HTTP/1.1 308 Permanent Redirect",
                                         "HTTP/1.1 300 Multiple Choices", "HTTP/1.1 399 Unknown"}) {
        SCOPED_TRACE(statusLine);
        const glimmo::testing::RawReplyServer redirecting(statusLine + "\r\nLocation: " + elsewhere.url("/collect") +
                                                          "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        request.url = redirecting.url("/away");
        const HttpError refused = httpErrorOf(client.send(request));
        EXPECT_EQ(refused.kind(), HttpError::Kind::redirectRefused);
        EXPECT_NE(std::string(refused.what()).find(elsewhere.url("/collect")), std::string::npos) << refused.what();
        EXPECT_EQ(httpErrorOf(client.streamLines(request)).kind(), HttpError::Kind::redirectRefused);
    }

    // A status line libcurl cannot read ends the request with an error of the reply, not of the address.
    const glimmo::testing::RawReplyServer unreadable("HTTP/1.1 3021 Odd\r\nLocation: " + elsewhere.url("/collect") +
                                                     "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    request.url = unreadable.url("/away");
    EXPECT_EQ(httpErrorOf(client.send(request)).kind(), HttpError::Kind::transport);

    request.url = server.url("/away");
    request.carriesCredentials = false;
    EXPECT_EQ(run(client.send(request)).body, "collected");
    // Accepted in order: had any refused request reached it, this would not be the only connection.
    EXPECT_EQ(elsewhere.connectionCount(), 1u);
}

TEST(Origin, IsSchemeHostAndPort) {
    EXPECT_EQ(originOf("https://Example.com/a?b"), "https://example.com:443");
    EXPECT_EQ(originOf("https://example.com:443/"), originOf("https://example.com"));
    EXPECT_NE(originOf("http://example.com/"), originOf("https://example.com/"));
    EXPECT_NE(originOf("https://example.com:8443/"), originOf("https://example.com/"));
    EXPECT_EQ(originOf("no address"), std::nullopt);
}

TEST_F(NetTest, HeadersThatWouldBreakTheRequestHeadAreRefusedBeforeSending) {
    server.on("GET", "/", [](const RecordedRequest&, ServerReply& reply) { reply.body = "sent"; });
    HttpRequest request = get("/");
    for (const auto& [name, value] : HttpHeaders{{"x-goog-api-key", "AIzaKey\r\nX-Injected: yes"},
                                                 {"x-key", std::string("a\0b", 3)},
                                                 {"X-Name: yes\r\nX", "value"},
                                                 {"", "value"}}) {
        request.headers = {{name, value}};
        const HttpError error = httpErrorOf(client.send(request));
        EXPECT_EQ(error.kind(), HttpError::Kind::invalidHeader);
        EXPECT_EQ(std::string(error.what()).find("AIzaKey"), std::string::npos) << "the value is not quoted";
        EXPECT_EQ(httpErrorOf(client.streamLines(request)).kind(), HttpError::Kind::invalidHeader);
    }
    EXPECT_EQ(server.requestCount(), 0u);
    request.headers = {{"X-Tab", "a\tb"}, {"X-Empty", ""}};
    EXPECT_EQ(run(client.send(request)).body, "sent");
}

// A host name whose lookup never ends: in a private mount namespace, with an /etc of its own, the
// resolver asks a server of the test's that reads the question and never answers (30 s, its time-out).
TEST(HangingLookupTest, ATransferCancelledWhileItsNameIsLookedUpEndsAtOnce) {
    constexpr int unavailable = 77;
    const auto code = glimmo::testing::exitCodeInForkedChild(
        []() -> int {
            const int silent = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
            sockaddr_in address{.sin_family = AF_INET, .sin_port = htons(53)};
            ::inet_pton(AF_INET, "127.45.0.53", &address.sin_addr);
            if (::bind(silent, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
                ::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("etc", "/etc", "tmpfs", 0, nullptr) != 0) {
                return unavailable;
            }
            std::ofstream("/etc/resolv.conf") << "nameserver 127.45.0.53\noptions timeout:30 attempts:1\n";
            std::ofstream("/etc/nsswitch.conf") << "hosts: dns\n";
            RealTimeRunLoop loop;
            HttpClient client;
            HttpRequest request;
            request.url = "http://lookup-never-answers.test:9/";
            const auto sending = [&]() -> Task<void> {
                auto reply = client.send(request);
                co_await std::move(reply);
            };
            const TaskHandle handle = startTask(loop, sending());
            char question[512];
            if (!loop.runUntil([&] { return ::recv(silent, question, sizeof question, 0) > 0; }, 10)) return 2;
            handle.cancel();
            return loop.runUntil([&] { return handle.isFinished(); }, 15) ? 0 : 3; // well before the resolver gives up
        },
        std::chrono::seconds(60));
    if (code == unavailable) GTEST_SKIP() << "a private mount namespace and port 53 on loopback need root";
    EXPECT_EQ(code, 0) << "2: no lookup was asked for; 3: the cancelled transfer waited for the lookup; none: killed";
}

}  // namespace
}  // namespace glimmo
