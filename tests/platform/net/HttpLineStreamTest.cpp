#include "NetTestFixture.h"

#include "platform/net/CurlWorker.h"

#include <atomic>
#include <stdexcept>

#include <string>
#include <vector>

namespace glimmo {
namespace {

using glimmo::testing::RecordedRequest;
using glimmo::testing::ServerChunk;
using glimmo::testing::ServerReply;
using Lines = std::vector<std::string>;

class LineStreamTest : public NetTest {
protected:
    // Serves `chunks` at /stream and returns what streamLines delivers.
    DrainedLines streamOf(std::vector<ServerChunk> chunks, double timeoutSeconds = 10) {
        server.on("GET", "/stream", [chunks](const RecordedRequest&, ServerReply& reply) {
            reply.headers = {{"Content-Type", "text/event-stream"}};
            reply.chunks = chunks;
        });
        HttpLineStream stream = run(client.streamLines(get("/stream", timeoutSeconds)));
        EXPECT_EQ(stream.status, 200);
        return run(drain(std::move(stream.lines)));
    }
};

TEST_F(LineStreamTest, SplitsOnLineFeedAndCarriageReturnLineFeed) {
    const DrainedLines drained = streamOf({{"data: one\n"}, {"data: two\r\n"}, {"\r\n"}, {"data: three\n"}});

    EXPECT_EQ(drained.lines, (Lines{"data: one", "data: two", "", "data: three"}));
    EXPECT_FALSE(drained.error);
}

TEST_F(LineStreamTest, JoinsLinesSplitAcrossChunksIncludingASplitTerminator) {
    const DrainedLines drained = streamOf({{"da"}, {"ta: {\"a\":"}, {"1}\r"}, {"\nnext\n\n"}, {"x"}, {"y\n"}});

    EXPECT_EQ(drained.lines, (Lines{"data: {\"a\":1}", "next", "", "xy"}));
    EXPECT_FALSE(drained.error);
}

TEST_F(LineStreamTest, DeliversALastLineWithoutNewline) {
    const DrainedLines drained = streamOf({{"first\nlast without newline"}});

    EXPECT_EQ(drained.lines, (Lines{"first", "last without newline"}));
    EXPECT_FALSE(drained.error);
}

TEST_F(LineStreamTest, EmptyBodyEndsAtOnce) {
    server.on("GET", "/empty", [](const RecordedRequest&, ServerReply& reply) { reply.status = 204; });

    HttpLineStream stream = run(client.streamLines(get("/empty")));
    const DrainedLines drained = run(drain(std::move(stream.lines)));

    EXPECT_EQ(stream.status, 204);
    EXPECT_TRUE(drained.lines.empty());
    EXPECT_FALSE(drained.error);
}

TEST_F(LineStreamTest, ErrorStatusComesWithItsHeadersAndBodyLines) {
    server.on("POST", "/fail", [](const RecordedRequest&, ServerReply& reply) {
        reply.status = 400;
        reply.headers = {{"Content-Type", "application/json"}, {"X-Error-Marker", "yes"}};
        reply.body = "{\n  \"error\": {}\n}\n";
    });
    HttpRequest request = get("/fail");
    request.method = "POST";
    request.body = "{}";

    HttpLineStream stream = run(client.streamLines(request));
    const DrainedLines drained = run(drain(std::move(stream.lines)));

    EXPECT_EQ(stream.status, 400);
    EXPECT_EQ(stream.header("x-error-marker"), "yes");
    EXPECT_EQ(drained.lines, (Lines{"{", "  \"error\": {}", "}"}));
    EXPECT_FALSE(drained.error);
}

TEST_F(LineStreamTest, DroppedConnectionEndsTheStreamWithAnErrorAfterTheLinesReceived) {
    server.on("GET", "/drop", [](const RecordedRequest&, ServerReply& reply) {
        reply.chunks = {{"one\n"}, {"two\n", 0.05}, {"never\n", 0.05}};
        reply.dropAfterBytes = 8;
    });

    HttpLineStream stream = run(client.streamLines(get("/drop")));
    const DrainedLines drained = run(drain(std::move(stream.lines)));

    EXPECT_EQ(drained.lines, (Lines{"one", "two"}));
    EXPECT_EQ(httpErrorKind(drained.error), HttpError::Kind::transport);
}

TEST_F(LineStreamTest, StallMidStreamTimesOut) {
    const DrainedLines drained = streamOf({{"early\n"}, {"late\n", 60}}, 0.3);

    EXPECT_EQ(drained.lines, (Lines{"early"}));
    EXPECT_EQ(httpErrorKind(drained.error), HttpError::Kind::timedOut);
}

TEST_F(LineStreamTest, StallBeforeTheHeadTimesOutTheRequest) {
    server.on("GET", "/silent", [](const RecordedRequest&, ServerReply& reply) { reply.stallSeconds = 60; });

    EXPECT_EQ(httpErrorOf(client.streamLines(get("/silent", 0.3))).kind(), HttpError::Kind::timedOut);
}

TEST_F(LineStreamTest, CancellingTheConsumerAbortsTheTransfer) {
    server.on("GET", "/endless", [](const RecordedRequest&, ServerReply& reply) {
        reply.chunks.push_back({"first\n"});
        for (int index = 0; index < 400; ++index) reply.chunks.push_back({"tick\n", 0.05});
    });
    std::optional<std::string> firstLine;
    bool cancelled = false;
    auto consume = [&]() -> Task<void> {
        HttpLineStream stream = co_await client.streamLines(get("/endless"));
        const auto line = co_await stream.lines.next();
        firstLine = std::string(line.value_or("(none)"));
        try {
            while (co_await stream.lines.next()) {
            }
        } catch (const CancellationError&) {
            cancelled = true;
        }
    };
    const TaskHandle handle = startTask(loop, consume());
    ASSERT_TRUE(runLoopUntil([&] { return firstLine.has_value(); }));

    handle.cancel();

    ASSERT_TRUE(runLoopUntil([&] { return handle.isFinished(); }));
    EXPECT_EQ(firstLine, "first");
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(glimmo::testing::LoopbackServer::waitUntil([&] { return server.abandonedReplies() == 1; }, waitLimit));
}

TEST_F(LineStreamTest, DroppingTheStreamAbortsTheTransfer) {
    server.on("GET", "/endless", [](const RecordedRequest&, ServerReply& reply) {
        for (int index = 0; index < 400; ++index) reply.chunks.push_back({"tick\n", 0.05});
    });

    {
        HttpLineStream stream = run(client.streamLines(get("/endless")));
        EXPECT_EQ(run(stream.lines.next()), "tick");
    }

    EXPECT_TRUE(glimmo::testing::LoopbackServer::waitUntil([&] { return server.abandonedReplies() == 1; }, waitLimit));
}

TEST_F(LineStreamTest, CancellingBeforeTheHeadArrivesEndsWithCancellation) {
    server.on("GET", "/silent", [](const RecordedRequest&, ServerReply& reply) { reply.stallSeconds = 60; });
    bool cancelled = false;
    auto open = [&]() -> Task<void> {
        try {
            co_await client.streamLines(get("/silent"));
        } catch (const CancellationError&) {
            cancelled = true;
        }
    };
    const TaskHandle handle = startTask(loop, open());
    ASSERT_TRUE(runLoopUntil([&] { return server.requestCount() == 1; }));

    handle.cancel();

    ASSERT_TRUE(runLoopUntil([&] { return handle.isFinished(); }));
    EXPECT_TRUE(cancelled);
}

TEST_F(LineStreamTest, ALineLongerThanTheLimitEndsTheStreamAfterTheLinesBeforeIt) {
    server.on("GET", "/long", [](const RecordedRequest&, ServerReply& reply) {
        reply.chunks = {{"short\n" + std::string(40, 'a')}, {std::string(40, 'b')}, {"\nnever\n"}};
    });

    HttpLineStream stream = run(client.streamLines(get("/long"), {.maxLineBytes = 64}));
    const DrainedLines drained = run(drain(std::move(stream.lines)));

    EXPECT_EQ(drained.lines, (Lines{"short"}));
    EXPECT_EQ(httpErrorKind(drained.error), HttpError::Kind::tooLarge);
}

TEST_F(LineStreamTest, AReaderThatFallsBehindPausesTheTransferAndLosesNothing) {
    Lines sent;
    std::vector<ServerChunk> chunks;
    for (int chunk = 0; chunk < 50; ++chunk) {
        std::string text;
        for (int line = 0; line < 40; ++line) {
            sent.push_back("line " + std::to_string(chunk) + "." + std::to_string(line) + std::string(60, '.'));
            text += sent.back() + "\r\n";
        }
        chunks.push_back({text});
    }
    server.on("GET", "/many", [chunks](const RecordedRequest&, ServerReply& reply) { reply.chunks = chunks; });

    // A bound of one byte: every delivery pauses the transfer until the reader has taken it.
    HttpLineStream stream = run(client.streamLines(get("/many"), {.maxBufferedBytes = 1}));
    const DrainedLines drained = run(drain(std::move(stream.lines)));

    EXPECT_EQ(drained.lines, sent);
    EXPECT_FALSE(drained.error);
}

// Bytes held back for a reader that then refuses them end the transfer with the reader's error when it
// resumes, not at its idle limit: the server has nothing more to send that would end it sooner.
TEST_F(NetTest, ATransferResumedIntoARefusalEndsAtOnceWithItsError) {
    server.on("GET", "/held", [](const RecordedRequest&, ServerReply& reply) {
        reply.chunks = {{"held\n"}, {"never\n", 60}};
    });
    std::atomic<int> deliveries{0};
    std::atomic<bool> ended{false};
    std::exception_ptr error;  // written on the worker thread before `ended`
    CurlWorker::Callbacks callbacks;
    callbacks.onData = [&deliveries](std::string_view) {
        if (deliveries++ == 0) return CurlWorker::Intake::paused;
        throw std::runtime_error("the reader refused");
    };
    callbacks.onComplete = [&](std::exception_ptr failure) {
        error = std::move(failure);
        ended = true;
    };
    CurlWorker worker;
    const auto id = worker.start(get("/held", 60), 0, CurlWorker::TimeLimit::idle, std::move(callbacks));
    ASSERT_TRUE(glimmo::testing::LoopbackServer::waitUntil([&] { return deliveries == 1; }, waitLimit));

    worker.resume(id);

    ASSERT_TRUE(glimmo::testing::LoopbackServer::waitUntil([&] { return ended.load(); }, waitLimit));
    ASSERT_TRUE(error);
    try {
        std::rethrow_exception(error);
    } catch (const std::runtime_error& refusal) {
        EXPECT_STREQ(refusal.what(), "the reader refused");
    }
}

}  // namespace
}  // namespace glimmo
