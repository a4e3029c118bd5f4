#include "GeminiTestSupport.h"
#include "LogCapture.h"

#include "generative-ai/ClientError.h"
#include "generative-ai/DecodingError.h"
#include "generative-ai/Logging.h"
#include "generative-ai/RPCError.h"

namespace genai::testing {
namespace {

using glimmo::testing::ServerChunk;
using Streaming = GeminiTest;

std::vector<std::optional<std::string>> texts(const Collected& collected) {
    std::vector<std::optional<std::string>> result;
    for (const auto& chunk : collected.chunks) result.push_back(chunk.text());
    return result;
}

TEST_F(Streaming, DeliversEachEventThenFinishes) {
    LogCapture logs;
    replyEvents({{sseEvent(R"({"candidates": [{"content": {"parts": [{"text": "One"}]}}]})")},
                 {sseEvent(R"({"candidates": [{"content": {"parts": [{"text": "Two"}]}}]})"), 0.05},
                 {sseEvent(textReply("Three")), 0.05}});
    const auto collected = runStream(model().generateContentStream("Count"));
    EXPECT_FALSE(collected.error);
    EXPECT_EQ(texts(collected), (std::vector<std::optional<std::string>>{"One", "Two", "Three"}));

    const auto request = server.requests().at(0);
    EXPECT_EQ(request.path, streamPath);
    EXPECT_EQ(request.query, "alt=sse");
    EXPECT_EQ(request.header("x-goog-api-key"), apiKey);
    // Six lines: three events, each followed by an empty line.
    EXPECT_EQ(logs.count("[GenerativeAI] Stream response: "), Logging::additionalLoggingEnabled() ? 6u : 0u);
}

TEST_F(Streaming, StopsAtAChunkThatFailsTheChecks) {
    replyEvents({{sseEvent(textReply("a", "STOP"))},
                 {sseEvent(R"({"candidates": [{"content": {"parts": [{"text": "b"}]}}]})")},
                 {sseEvent(textReply("c", "MAX_TOKENS"))},
                 {sseEvent(textReply("never"))}});
    const auto collected = runStream(model().generateContentStream("x"));
    EXPECT_EQ(texts(collected), (std::vector<std::optional<std::string>>{"a", "b"}));
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::responseStoppedEarly);
    EXPECT_EQ(error->reason(), FinishReason::maxTokens);
    EXPECT_EQ(error->response()->text(), "c");
}

TEST_F(Streaming, ABlockedPromptEndsTheStream) {
    replyEvents({{sseEvent(R"({"promptFeedback": {"blockReason": "SAFETY"}})")}});
    const auto error = errorAs<GenerateContentError>(runStream(model().generateContentStream("x")).error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::promptBlocked);
}

TEST_F(Streaming, AnEmptyDataLineIsADecodingErrorAfterEarlierEvents) {
    replyEvents({{sseEvent(textReply("first"))}, {"data:\r\n\r\n"}, {sseEvent(textReply("never"))}});
    const auto collected = runStream(model().generateContentStream("x"));
    EXPECT_EQ(texts(collected), (std::vector<std::optional<std::string>>{"first"}));
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::internalError);
    EXPECT_TRUE(errorAs<DecodingError>(error->underlying()));
}

TEST_F(Streaming, AnErrorObjectWithoutDataPrefixEndsTheStreamAfterTheEvents) {
    // The service may send a JSON error object, spread over lines, after some events.
    replyEvents({{sseEvent(textReply("partial"))},
                 {"{\n  \"error\": {\n    \"code\": 400,\n    \"message\": \"User location is not supported for the API use.\"\n  }\n}\n"}});
    const auto collected = runStream(model().generateContentStream("x"));
    EXPECT_EQ(texts(collected), (std::vector<std::optional<std::string>>{"partial"}));
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::unsupportedUserLocation);

    // Any other stray text fails as the decoding error of the error reader.
    server.on("POST", "/v1beta/models/other:streamGenerateContent", [](const auto&, auto& out) {
        out.chunks = {{sseEvent(textReply("ok"))}, {"event: ping\r\n\r\n"}};
    });
    const GenerativeModel other("other", apiKey, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                options());
    const auto stray = runStream(other.generateContentStream("x"));
    EXPECT_EQ(stray.chunks.size(), 1u);
    const auto strayError = errorAs<GenerateContentError>(stray.error);
    ASSERT_TRUE(strayError);
    EXPECT_TRUE(errorAs<DecodingError>(strayError->underlying()));
}

TEST_F(Streaming, ARefusedStreamYieldsNothing) {
    LogCapture logs;
    replyEvents({{"{\"error\": {\"code\": 400, \"message\": \"API key not valid.\",\n"},
                  {"\"details\": [{\"@type\": \"type.googleapis.com/google.rpc.ErrorInfo\", \"reason\": \"API_KEY_INVALID\"}]}}\n"}},
                400);
    const auto collected = runStream(model().generateContentStream("x"));
    EXPECT_TRUE(collected.chunks.empty());
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::invalidAPIKey);
    EXPECT_EQ(error->message(), "API key not valid.");
    // The lines are joined with a line feed after each.
    const auto payload = logs.matching("[GenerativeAI] Response payload: ");
    ASSERT_EQ(payload.size(), 1u);
    EXPECT_TRUE(payload[0].ends_with("\"API_KEY_INVALID\"}]}}\n"));
}

TEST_F(Streaming, AConnectionDroppedMidStreamEndsWithTheTransportError) {
    const std::string delivered = sseEvent(textReply("one")) + sseEvent(textReply("two"));
    server.on("POST", streamPath, [delivered](const auto&, auto& out) {
        out.headers = {{"Content-Type", "text/event-stream"}};
        out.body = delivered + sseEvent(textReply("three")) + sseEvent(textReply("four"));
        out.dropAfterBytes = delivered.size() + 10;
    });
    const auto collected = runStream(model().generateContentStream("x"));
    EXPECT_EQ(texts(collected), (std::vector<std::optional<std::string>>{"one", "two"}));
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::internalError);
    EXPECT_TRUE(errorAs<glimmo::HttpError>(error->underlying()));
}

TEST_F(Streaming, AStalledStreamTimesOut) {
    replyEvents({{sseEvent(textReply("one"))}, {sseEvent(textReply("late")), 3}});
    const auto collected = runStream(model(0.5).generateContentStream("x"));
    EXPECT_EQ(texts(collected), (std::vector<std::optional<std::string>>{"one"}));
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    const auto http = errorAs<glimmo::HttpError>(error->underlying());
    ASSERT_TRUE(http);
    EXPECT_EQ(http->kind(), glimmo::HttpError::Kind::timedOut);
}

TEST_F(Streaming, AReaderThatLeavesStopsTheTransfer) {
    std::vector<ServerChunk> chunks{{sseEvent(textReply("first"))}};
    for (int i = 0; i < 40; ++i) chunks.push_back({sseEvent(textReply("more")), 0.05});
    replyEvents(chunks);
    {
        auto stream = model().generateContentStream("x");
        const auto first = run([](auto stream) -> glimmo::Task<std::optional<GenerateContentResponse>> {
            auto pending = stream.next();
            co_return co_await std::move(pending);
        }(std::move(stream)));
        ASSERT_TRUE(first);
        EXPECT_EQ(first->text(), "first");
    }
    // The server finds the connection closed long before its 40 further events are out.
    EXPECT_TRUE(loop->runUntil([&] { return server.abandonedReplies() == 1; }, 10));
    // Let the cancelled tasks unwind before the loop goes away.
    loop->runUntil([] { return false; }, 0.2);
}

TEST_F(Streaming, PromptsThatCannotBeBuiltEndTheStreamAtOnce) {
    const auto image = errorAs<GenerateContentError>(runStream(model().generateContentStream(glimmo::DecodedImage{})).error);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->kind(), GenerateContentError::Kind::promptImageContentError);

    const GenerativeModel badVersion("gemini-2.0-flash", apiKey, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                     std::nullopt, RequestOptions{10, "v1 beta", server.baseURL()});
    const auto url = errorAs<GenerateContentError>(runStream(badVersion.generateContentStream("x")).error);
    ASSERT_TRUE(url);
    EXPECT_TRUE(errorAs<InvalidRequestURLError>(url->underlying()));
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(Streaming, InvalidUTF8InAnEventIsAClientError) {
    replyEvents({{sseEvent(textReply("fine"))}, {"data: {\"candidates\": [\xff\xfe]}\r\n\r\n"}});
    const auto collected = runStream(model().generateContentStream("x"));
    EXPECT_EQ(collected.chunks.size(), 1u);
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    const auto client = errorAs<glimmo::Error>(error->underlying());
    ASSERT_TRUE(client);
    EXPECT_EQ(client->domain(), clientErrorDomain);
    EXPECT_EQ(client->code(), -1);
    EXPECT_EQ(client->localizedDescription(), "Could not parse response as UTF8.");
}

TEST_F(Streaming, ALinePastTheLimitEndsTheStreamAfterTheEventsBeforeIt) {
    std::vector<ServerChunk> chunks{{sseEvent(textReply("first")) + "data: "}};
    chunks.insert(chunks.end(), maximumReplyBytes / (1 << 20) + 1, {std::string(1 << 20, ' ')});
    replyEvents(chunks);
    const auto collected = runStream(model().generateContentStream("x"));
    EXPECT_EQ(texts(collected), (std::vector<std::optional<std::string>>{"first"}));
    EXPECT_EQ(httpKindUnder(errorAs<GenerateContentError>(collected.error)), glimmo::HttpError::Kind::tooLarge);
}

} // namespace
} // namespace genai::testing
