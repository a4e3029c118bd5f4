#include "NetTestFixture.h"

#include <memory>

namespace glimmo {
namespace {

using glimmo::testing::RecordedRequest;
using glimmo::testing::ServerReply;

TEST_F(NetTest, FollowsRedirectsAndReportsTheFinalReply) {
    server.on("GET", "/old", [](const RecordedRequest&, ServerReply& reply) {
        reply.status = 302;
        reply.headers = {{"Location", "/new"}, {"X-Hop", "first"}};
    });
    server.on("GET", "/new", [](const RecordedRequest&, ServerReply& reply) {
        reply.headers = {{"X-Hop", "final"}};
        reply.body = "moved here";
    });

    const HttpResponse response = run(client.send(get("/old")));

    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "moved here");
    EXPECT_EQ(response.header("x-hop"), "final");
    EXPECT_EQ(server.requestCount(), 2u);
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

}  // namespace
}  // namespace glimmo
