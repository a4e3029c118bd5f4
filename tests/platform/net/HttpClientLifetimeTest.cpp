#include "NetTestFixture.h"

#include <memory>

namespace glimmo {
namespace {

using glimmo::testing::RecordedRequest;
using glimmo::testing::ServerReply;

TEST_F(NetTest, FollowsRedirectsAndReportsTheFinalReply) {
    for (const std::string method : {"GET", "POST"}) {
        server.on(method, "/old", [](const RecordedRequest& request, ServerReply& reply) {
            reply.status = request.method == "GET" ? 302 : 303;
            reply.headers = {{"Location", "/new"}, {"X-Hop", "first"}};
            reply.body = "see /new\n";
        });
    }
    server.on("GET", "/new", [](const RecordedRequest&, ServerReply& reply) {
        reply.headers = {{"X-Hop", "final"}};
        reply.body = "moved here";
    });
    server.on("GET", "/loop", [](const RecordedRequest&, ServerReply& reply) {
        reply.status = 302;
        reply.headers = {{"Location", "/loop"}};
    });

    const HttpResponse response = run(client.send(get("/old")));
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "moved here");
    EXPECT_EQ(response.header("x-hop"), "final");
    EXPECT_EQ(server.requestCount(), 2u);
    // A stream's reader meets the final reply only.
    HttpLineStream stream = run(client.streamLines(get("/old")));
    EXPECT_EQ(stream.header("x-hop"), "final");
    EXPECT_EQ(run(drain(std::move(stream.lines))).lines, std::vector<std::string>{"moved here"});
    // After a 303 a POST goes on as a GET (only GET reaches /new).
    HttpRequest form = get("/old");
    form.method = "POST";
    form.body = "form";
    EXPECT_EQ(run(client.send(form)).body, "moved here");
    EXPECT_EQ(httpErrorOf(client.send(get("/loop"))).kind(), HttpError::Kind::transport);
}

// After a 303 every method but HEAD goes on as a GET without its body; after a 301 or 302 only a POST
// does; a 307 or 308 repeats the request as it was.
TEST_F(NetTest, RedirectsChangeTheMethodOnlyWhereTheirStatusSaysSo) {
    const std::vector<std::string> methods{"GET", "POST", "PUT", "PATCH", "DELETE", "OPTIONS"};
    for (const int status : {301, 302, 303, 307, 308}) {
        for (const std::string& method : methods) {
            server.on(method, "/moved-" + std::to_string(status), [status](const RecordedRequest&, ServerReply& reply) {
                reply.status = status;
                reply.headers = {{"Location", "/other"}};
            });
        }
    }
    for (const std::string& method : methods) {
        server.on(method, "/other", [](const RecordedRequest&, ServerReply& reply) { reply.body = "other"; });
    }
    for (const int status : {301, 302, 303, 307, 308}) {
        for (const std::string method : {"POST", "PUT", "PATCH", "DELETE", "OPTIONS", "HEAD"}) {
            HttpRequest request = get("/moved-" + std::to_string(status));
            request.method = method;
            if (method != "HEAD") request.body = "payload";
            const std::size_t before = server.requestCount();
            const std::string what = method + " after " + std::to_string(status);
            EXPECT_EQ(run(client.send(request)).status, 200) << what;
            ASSERT_EQ(server.requestCount(), before + 2) << what;
            const RecordedRequest followed = server.requests().back();
            const bool becomesGet = status == 303 ? method != "HEAD" : (status == 301 || status == 302) && method == "POST";
            EXPECT_EQ(followed.path, "/other") << what;
            EXPECT_EQ(followed.method, becomesGet ? "GET" : method) << what;
            // The test server reads no body of an OPTIONS request.
            if (method != "OPTIONS") EXPECT_EQ(followed.body, becomesGet || method == "HEAD" ? "" : "payload") << what;
        }
    }
}

TEST_F(NetTest, DestroyingTheClientEndsWhatItWasStillDoing) {
    server.on("GET", "/endless", [](const RecordedRequest&, ServerReply& reply) {
        reply.chunks.push_back({"first\n"});
        for (int index = 0; index < 400; ++index) reply.chunks.push_back({"tick\n", 0.05});
    });
    server.on("GET", "/silent", [](const RecordedRequest&, ServerReply& reply) { reply.stallSeconds = 60; });
    auto ownClient = std::make_unique<HttpClient>();
    HttpLineStream stream = run(ownClient->streamLines(get("/endless")));
    ASSERT_EQ(run(stream.lines.next()), "first");
    bool sendCancelled = false;
    auto pending = [&]() -> Task<void> {
        try {
            co_await ownClient->send(get("/silent"));
        } catch (const CancellationError&) {
            sendCancelled = true;
        }
    };
    const TaskHandle handle = startTask(loop, pending());
    ASSERT_TRUE(runLoopUntil([&] { return server.requestCount() == 2; }));

    ownClient.reset();

    ASSERT_TRUE(runLoopUntil([&] { return handle.isFinished(); }));
    EXPECT_TRUE(sendCancelled);
    const DrainedLines rest = run(drain(std::move(stream.lines)));
    EXPECT_EQ(httpErrorKind(rest.error), HttpError::Kind::cancelled);
}

Task<void> sendThroughTheSharedClient(HttpRequest request) { co_await HttpClient::shared().send(std::move(request)); }

// As at the application's quit: the main loop goes while a request through the process-wide client
// waits for a slow server. The reply must then be dropped, not posted to the loop that has gone.
TEST(HttpClientAtQuitTest, AReplyThatComesAfterTheMainLoopWentIsDropped) {
    testing::LoopbackServer server;
    server.on("GET", "/slow", [](const RecordedRequest&, ServerReply& reply) { reply.stallSeconds = 0.2; });
    {
        const auto mainLoop = std::make_unique<RealTimeRunLoop>();
        startTask(*mainLoop, sendThroughTheSharedClient(HttpRequest{.url = server.url("/slow")}));
        ASSERT_TRUE(mainLoop->runUntil([&] { return server.requestCount() == 1; }, 10));
    }
    EXPECT_TRUE(testing::LoopbackServer::waitUntil([] { return pendingContinuationCount() == 0; }, 10));
}

}  // namespace
}  // namespace glimmo
