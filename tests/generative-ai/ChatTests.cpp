#include "GeminiTestSupport.h"

#include "generative-ai/Chat.h"
#include "generative-ai/ClientError.h"

#include <nlohmann/json.hpp>

namespace genai::testing {
namespace {

using nlohmann::json;
using Part = ModelContent::Part;
using ChatTest = GeminiTest;

TEST_F(ChatTest, HistoryGrowsOnlyWhenAnExchangeSucceeds) {
    std::pair<int, std::string> next{200, textReply("Hi there")};
    server.on("POST", generatePath, [&next](const auto&, auto& out) {
        out.status = next.first;
        out.headers = {{"Content-Type", "application/json"}};
        out.body = next.second;
    });
    auto chat = model().startChat({ModelContent("user", {Part::text("Earlier")}), ModelContent("model", {Part::text("Noted")})});

    EXPECT_EQ(run(chat.sendMessage("Hello")).text(), "Hi there");
    ASSERT_EQ(chat.history().size(), 4u);
    EXPECT_EQ(chat.history()[2], ModelContent("user", {Part::text("Hello")}));
    EXPECT_EQ(chat.history()[3], ModelContent("model", {Part::text("Hi there")}));
    EXPECT_EQ(json::parse(server.requests().at(0).body)["contents"].size(), 3u);

    // A refused request, a blocked prompt and a reply without candidates leave the history alone.
    next = {500, R"({"error": {"code": 500, "message": "Internal error"}})"};
    EXPECT_TRUE(runFailing<GenerateContentError>(chat.sendMessage("Again")));
    next = {200, R"({"promptFeedback": {"blockReason": "SAFETY"}})"};
    EXPECT_TRUE(runFailing<GenerateContentError>(chat.sendMessage("Again")));
    next = {200, R"({"candidates": []})"};
    const auto empty = runFailing<GenerateContentError>(chat.sendMessage("Again"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->kind(), GenerateContentError::Kind::internalError);
    const auto client = errorAs<glimmo::Error>(empty->underlying());
    ASSERT_TRUE(client);
    EXPECT_EQ(client->domain(), clientErrorDomain);
    EXPECT_EQ(client->code(), -1);
    EXPECT_EQ(client->localizedDescription(), "No candidates with content available.");
    EXPECT_TRUE(runFailing<GenerateContentError>(chat.sendMessage(glimmo::DecodedImage{})));
    EXPECT_EQ(chat.history().size(), 4u);

    // Turns from a producer keep their role or get "user"; only the first candidate is kept.
    next = {200, R"({"candidates": [{"content": {"role": "ignored", "parts": [{"text": "A"}, {"functionCall": {"name": "f"}}]}},
                                    {"content": {"parts": [{"text": "B"}]}}]})"};
    (void)run(chat.sendMessage(ContentsProducer([] {
        return std::vector<ModelContent>{ModelContent(std::nullopt, {Part::text("q")}), ModelContent("system", {})};
    })));
    ASSERT_EQ(chat.history().size(), 7u);
    EXPECT_EQ(chat.history()[4].role, "user");
    EXPECT_EQ(chat.history()[5].role, "system");
    EXPECT_EQ(chat.history()[6], ModelContent("model", {Part::text("A"), Part::functionCall({"f", {}})}));

    // A replaced history is what the next request carries.
    chat.setHistory({});
    next = {200, textReply("fresh")};
    (void)run(chat.sendMessage("new start"));
    EXPECT_EQ(json::parse(server.requests().back().body)["contents"],
              json::parse(R"([{"role": "user", "parts": [{"text": "new start"}]}])"));
    EXPECT_EQ(chat.history().size(), 2u);
}

TEST_F(ChatTest, AStreamedReplyBecomesOneModelTurn) {
    replyEvents({{sseEvent(R"({"candidates": [{"content": {"role": "model", "parts": [{"text": "Hel"}]}}]})")},
                 {sseEvent(R"({"usageMetadata": {"totalTokenCount": 1}, "candidates": []})")},
                 {sseEvent(R"({"candidates": [{"content": {"parts": [{"text": "lo"}]}}]})")},
                 {sseEvent(R"({"candidates": [{"content": {"parts": [{"functionCall": {"name": "f"}}, {"text": "!"}]}, "finishReason": "STOP"}]})")}});
    auto chat = model().startChat();
    const auto collected = runStream(chat.sendMessageStream("Greet me"));
    EXPECT_FALSE(collected.error);
    EXPECT_EQ(collected.chunks.size(), 4u);  // a chunk without candidates is delivered too
    ASSERT_EQ(chat.history().size(), 2u);
    EXPECT_EQ(chat.history()[0], ModelContent("user", {Part::text("Greet me")}));
    EXPECT_EQ(chat.history()[1],
              ModelContent("model", {Part::text("Hello"), Part::functionCall({"f", {}}), Part::text("!")}));
}

TEST_F(ChatTest, AStreamedReplyWithoutCandidatesStillEndsInAModelTurn) {
    replyEvents({{sseEvent(R"({"candidates": []})")}, {sseEvent(R"({"promptFeedback": {}})")}});
    auto chat = model().startChat();
    const auto collected = runStream(chat.sendMessageStream(ContentsProducer([] {
        return std::vector<ModelContent>{ModelContent(std::nullopt, {Part::text("q")})};
    })));
    EXPECT_FALSE(collected.error);
    EXPECT_EQ(collected.chunks.size(), 2u);
    EXPECT_EQ(chat.history(), (std::vector<ModelContent>{ModelContent("user", {Part::text("q")}), ModelContent("model", {})}));
}

TEST_F(ChatTest, AFailedStreamLeavesTheHistoryAlone) {
    const std::string delivered = sseEvent(textReply("one")) + sseEvent(textReply("two"));
    server.on("POST", streamPath, [delivered](const auto&, auto& out) {
        out.body = delivered + sseEvent(textReply("three"));
        out.dropAfterBytes = delivered.size() + 5;
    });
    auto chat = model().startChat({ModelContent("user", {Part::text("before")})});
    const auto collected = runStream(chat.sendMessageStream("x"));
    EXPECT_EQ(collected.chunks.size(), 2u);
    const auto error = errorAs<GenerateContentError>(collected.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::internalError);
    EXPECT_EQ(chat.history().size(), 1u);

    const auto image = errorAs<GenerateContentError>(runStream(chat.sendMessageStream("look", glimmo::DecodedImage{})).error);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->kind(), GenerateContentError::Kind::promptImageContentError);
    EXPECT_EQ(chat.history().size(), 1u);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(ChatTest, AStreamedExchangeCompletesEvenWhenTheReaderLeaves) {
    replyEvents({{sseEvent(textReply("a"))}, {sseEvent(textReply("b")), 0.05}});
    auto chat = model().startChat();
    {
        auto stream = chat.sendMessageStream("x");
        // Read one chunk, then drop the stream.
        const auto first = run([](auto stream) -> glimmo::Task<std::optional<GenerateContentResponse>> {
            auto pending = stream.next();
            co_return co_await std::move(pending);
        }(std::move(stream)));
        ASSERT_TRUE(first);
    }
    EXPECT_TRUE(loop->runUntil([&] { return chat.history().size() == 2; }, 10));
    EXPECT_EQ(chat.history()[1], ModelContent("model", {Part::text("ab")}));
}

} // namespace
} // namespace genai::testing
