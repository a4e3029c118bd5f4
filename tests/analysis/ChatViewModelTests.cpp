#include "AnalysisFixture.h"

#include "analysis/ChatViewModel.h"
#include "analysis/OpenAIResponses.h"
#include "platform/foundation/Text.h"

#include <gmock/gmock.h>

namespace glimmo::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class ChatViewModelTest : public AnalysisFixture {
protected:
    ChatViewModelTest() {
        answerOpenAI(200, openAITextReply("\n\nYou mostly wrote code.  "));
        addRecord("Code Editor", on7th(9), 3600);
        chat = std::make_shared<ChatViewModel>(service, "TODAY");
    }

    // Sends the input and waits for the reply to replace the placeholder.
    void ask(const std::string& input) {
        chat->currentInput = input;
        chat->sendMessage();
        ASSERT_TRUE(loop->runUntil([&] { return !chat->isLoading.get(); }, 20));
        loop->runUntilIdle();
    }

    std::string sentInput() const {
        return nlohmann::json::parse(openAI.requests().back().body)["input"].get<std::string>();
    }

    std::string lastMessage() const { return chat->messages->back().content; }

    std::shared_ptr<ChatViewModel> chat;
};

TEST_F(ChatViewModelTest, BlankInputSendsNothing) {
    chat->currentInput = "  \n\t ";
    chat->sendMessage();
    loop->runUntilIdle();
    EXPECT_TRUE(chat->messages->empty());
    EXPECT_EQ(chat->currentInput.get(), "  \n\t ");
    EXPECT_FALSE(chat->isLoading.get());
    EXPECT_EQ(openAI.requestCount(), 0u);
}

TEST_F(ChatViewModelTest, QuestionGetsAPlaceholderThenTheTrimmedReply) {
    chat->currentInput = "  What did I do?\n";
    chat->sendMessage();
    ASSERT_EQ(chat->messages->size(), 2u);
    EXPECT_EQ(chat->messages.get()[0].role, ChatMessage::SenderRole::user);
    EXPECT_EQ(chat->messages.get()[0].content, "What did I do?");
    EXPECT_FALSE(chat->messages.get()[0].isLoading);
    const ChatMessage placeholder = chat->messages.get()[1];
    EXPECT_EQ(placeholder.role, ChatMessage::SenderRole::assistant);
    EXPECT_EQ(placeholder.content, "");
    EXPECT_TRUE(placeholder.isLoading);
    EXPECT_EQ(chat->currentInput.get(), "");
    EXPECT_TRUE(chat->isLoading.get());

    ASSERT_TRUE(loop->runUntil([&] { return !chat->isLoading.get(); }, 20));
    ASSERT_EQ(chat->messages->size(), 2u);
    const ChatMessage reply = chat->messages.get()[1];
    EXPECT_EQ(reply.content, "You mostly wrote code.");
    EXPECT_FALSE(reply.isLoading);
    EXPECT_NE(reply.id, placeholder.id);
    EXPECT_EQ(reply.role, ChatMessage::SenderRole::assistant);
    EXPECT_TRUE(logged("Activity Context:"));

    ASSERT_EQ(openAI.requestCount(), 1u);
    const RecordedRequest request = openAI.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/responses");
    EXPECT_EQ(request.header("Authorization"), "Bearer test-openai-key");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    const auto body = nlohmann::json::parse(request.body);
    EXPECT_EQ(body.size(), 2u);
    EXPECT_EQ(body["model"], "gpt-4.1");
    const std::string input = body["input"].get<std::string>();
    EXPECT_THAT(input, StartsWith("Here's some added context of what I've been up to during today in case it helps "
                                  "answer my query.\nDo not reference these at all if I don't specifically query for "
                                  "them:\n\n{"));
    EXPECT_THAT(input, HasSubstr("Code Editor"));
    EXPECT_THAT(input, ::testing::EndsWith("\n\n---\n\n User Query: What did I do?"));
    // The key never reaches a log line.
    for (const auto& line : logs()) {
        EXPECT_THAT(line, ::testing::Not(HasSubstr("test-openai-key")));
    }
}

TEST_F(ChatViewModelTest, TheContextIsWrittenAndLoggedOffTheMainLoop) {
    ask("What did I do?");
    EXPECT_EQ(lastMessage(), "You mostly wrote code.");
    const auto lines = logsOffTheMainLoop();
    const auto context = std::find(lines.begin(), lines.end(), "Activity Context:");
    ASSERT_TRUE(context != lines.end() && context + 1 != lines.end());
    EXPECT_THAT(context[1], StartsWith("Here's some added context"));
}

TEST_F(ChatViewModelTest, StatusFailuresNameTheStatusAndTheWholeBody) {
    const std::string body = R"({"error": {"message": "Incorrect API key provided", "type": "invalid_request_error"}})";
    answerOpenAI(401, body);
    ask("Hi");
    EXPECT_EQ(lastMessage(), "Sorry, I couldn't get a response. Error: Server error: 401. Details: " + body);
    EXPECT_FALSE(chat->messages->back().isLoading);
    EXPECT_TRUE(logged("Error fetching OpenAI response: Server error: 401. Details: " + body));

    answerOpenAI(500, "upstream exploded");
    ask("Again");
    EXPECT_EQ(lastMessage(), "Sorry, I couldn't get a response. Error: Server error: 500. Details: upstream exploded");
    EXPECT_EQ(chat->messages->size(), 4u);
}

TEST_F(ChatViewModelTest, MissingReplyPathIsAParseFailure) {
    for (const std::string& body : {std::string(R"({"output": []})"), std::string(R"({"output": [{"type": "message"}]})"),
                                    std::string(R"({"output": [{"content": [{"text": 3}]}]})"), std::string("[]")}) {
        answerOpenAI(200, body);
        ask("Hi");
        EXPECT_EQ(lastMessage(), "Sorry, I couldn't get a response. Error: The server's reply could not be read.") << body;
    }
    answerOpenAI(200, "not json");
    ask("Hi");
    EXPECT_THAT(lastMessage(), StartsWith("Sorry, I couldn't get a response. Error: "));
    EXPECT_FALSE(chat->isLoading.get());
}

TEST_F(ChatViewModelTest, TransportFailureIsShownAndTheChatStaysUsable) {
    chat->apiURL = "http://127.0.0.1:1/v1/responses"; // nothing listens there
    ask("Hi");
    EXPECT_THAT(lastMessage(), StartsWith("Sorry, I couldn't get a response. Error: "));
    EXPECT_GT(lastMessage().size(), std::string("Sorry, I couldn't get a response. Error: ").size());
    EXPECT_FALSE(chat->messages->back().isLoading);
    const auto lines = logs();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("Error fetching OpenAI response: ", 0) == 0;
    }));

    chat->apiURL = openAI.baseURL() + "/v1/responses";
    ask("Again");
    EXPECT_EQ(lastMessage(), "You mostly wrote code.");
    EXPECT_EQ(chat->messages->size(), 4u);
}

TEST_F(ChatViewModelTest, TheKeyGoesToNoOtherOriginAndRepliesHaveALimit) {
    LoopbackServer redirecting;
    LoopbackServer elsewhere;
    elsewhere.on("POST", "/v1/responses", [](const RecordedRequest&, ServerReply& reply) {
        reply.body = openAITextReply("collected");
    });
    redirecting.on("POST", "/v1/responses", [&elsewhere](const RecordedRequest&, ServerReply& reply) {
        reply.status = 307;
        reply.headers = {{"Location", elsewhere.url("/v1/responses")}};
    });
    chat->apiURL = redirecting.url("/v1/responses");
    ask("Hi");
    EXPECT_THAT(lastMessage(), HasSubstr("redirect"));
    EXPECT_EQ(elsewhere.requestCount(), 0u);

    chat->apiURL = openAI.baseURL() + "/v1/responses";
    answerOpenAI(200, std::string(openAIReplyLimit + 1, ' '));
    ask("Again");
    EXPECT_THAT(lastMessage(), HasSubstr("exceeds"));
}

TEST_F(ChatViewModelTest, MissingKeyAnswersWithAdviceAndSendsNothing) {
    for (const std::string& key : {std::string(), std::string("YOUR_OPENAI_API_KEY")}) {
        chat->apiKey = key;
        ask("Hi");
        EXPECT_EQ(lastMessage(), "Please add your OpenAI API Key to ChatViewModel");
    }
    EXPECT_EQ(openAI.requestCount(), 0u);

    environment.unset("OPENAI_API_KEY");
    const auto unconfigured = std::make_shared<ChatViewModel>(service, "TODAY");
    EXPECT_FALSE(unconfigured->hasAPIKey());
    EXPECT_EQ(unconfigured->apiURL, openAI.baseURL() + "/v1/responses");
}

TEST_F(ChatViewModelTest, EmptyContextSendsTheQuestionAlone) {
    const std::string reply = runBlocking(*loop, chat->fetchOpenAIResponse("Write my journal", ""), 20);
    EXPECT_EQ(reply, "You mostly wrote code.");
    EXPECT_EQ(sentInput(), "\n\n User Query: Write my journal");
    EXPECT_TRUE(chat->messages->empty());
    EXPECT_FALSE(chat->isLoading.get());
}

TEST_F(ChatViewModelTest, LongInputIsCutInTheContextNeverInTheQuestion) {
    const std::string context(600000, 'x');
    (void)runBlocking(*loop, chat->fetchOpenAIResponse("the question at the end?", context), 20);
    const std::string input = sentInput();
    EXPECT_EQ(graphemeCount(input), 500000u);
    EXPECT_THAT(input, ::testing::EndsWith("x\n\n User Query: the question at the end?"));
}

TEST(OpenAIInput, CountsUserPerceivedCharacters) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467"; // one character
    EXPECT_EQ(openAIInput(family + family + family, "q", 20), family + family + family + "\n\n User Query: q");
    // 3 + 15 + 1 = 19 characters fit in 19; in 18 one family goes, never a part of one.
    EXPECT_EQ(openAIInput(family + family + family, "q", 18), family + family + "\n\n User Query: q");
    EXPECT_EQ(openAIInput("context", "q", 16), "\n\n User Query: q");
    // A question longer than the limit by itself is the only case where it is cut.
    EXPECT_EQ(openAIInput("context", "abcdef", 17), "\n\n User Query: ab");
}

TEST(OpenAIReply, TextIsTrimmedAndOtherMembersIgnored) {
    EXPECT_EQ(openAIReplyText(200, R"({"output": [{"content": [{"text": " \n hi \n", "annotations": []}]}, {"x": 1}], "usage": {}})"),
              "hi");
    try {
        (void)openAIReplyText(302, "\xff");
        FAIL() << "expected a status failure";
    } catch (const URLError& error) {
        EXPECT_EQ(error.code(), URLError::badServerResponse);
        EXPECT_EQ(error.localizedDescription(), "Server error: 302. Details: No error details");
    }
    try {
        (void)openAIReplyText(200, R"({"output": [{"content": []}]})");
        FAIL() << "expected a parse failure";
    } catch (const URLError& error) {
        EXPECT_EQ(error.code(), URLError::cannotParseResponse);
    }
}

TEST_F(ChatViewModelTest, TimeframesSelectTheirWindows) {
    EXPECT_EQ(chat->dateRange("TODAY"), std::make_pair(on7th(0), on7th(15)));
    EXPECT_EQ(chat->dateRange("today"), std::make_pair(on7th(0), on7th(15)));
    EXPECT_EQ(chat->dateRange("WEEK"), std::make_pair(on7th(0).addingTimeInterval(-86400), on7th(15))); // weeks start on Sunday
    EXPECT_EQ(chat->dateRange("MONTH"), std::make_pair(on7th(0).addingTimeInterval(-6 * 86400.0), on7th(15)));
    EXPECT_EQ(chat->dateRange("2026-12-07"), std::make_pair(on7th(0), on7th(15)));
    EXPECT_EQ(chat->dateRange("2026-12-06"), std::make_pair(on7th(0).addingTimeInterval(-86400), on7th(0).addingTimeInterval(-1)));
    // Texts that only look like a day mean today.
    EXPECT_EQ(chat->dateRange("2026-02-31"), std::make_pair(on7th(0), on7th(15)));
    EXPECT_EQ(chat->dateRange("2026-12-6"), std::make_pair(on7th(0), on7th(15)));

    // A shown past day is that local day, wherever the user is.
    setDefaultTimeZone("America/Los_Angeles");
    EXPECT_EQ(chat->dateRange("2026-12-06"),
              std::make_pair(on7th(8).addingTimeInterval(-86400), on7th(8).addingTimeInterval(-1)));
    EXPECT_EQ(ChatViewModel::dayTimeframe(on7th(3)), "2026-12-06");
}

TEST_F(ChatViewModelTest, ContextNamesTheTimeframeAndCoversAPastDay) {
    addRecord("Spreadsheet", on7th(0).addingTimeInterval(-3600 * 5), 1200);
    chat->timeframe = "2026-12-06";
    const std::string context = runBlocking(*loop, chat->activityContext(), 20);
    EXPECT_THAT(context, StartsWith("Here's some added context of what I've been up to during 2026-12-06 in case"));
    EXPECT_THAT(context, HasSubstr("Spreadsheet"));
    EXPECT_THAT(context, ::testing::Not(HasSubstr("Code Editor")));
    EXPECT_THAT(context, ::testing::EndsWith("\n\n---"));
}

TEST(ChatMessageRole, RawValues) {
    EXPECT_EQ(rawValue(ChatMessage::SenderRole::user), "user");
    EXPECT_EQ(senderRoleFromRawValue("assistant"), ChatMessage::SenderRole::assistant);
    EXPECT_EQ(senderRoleFromRawValue("system"), std::nullopt);
    const ChatMessage message{UUID::random(), ChatMessage::SenderRole::user, "a", false};
    ChatMessage changed = message;
    changed.isLoading = true;
    EXPECT_NE(message, changed);
}

} // namespace
} // namespace glimmo::testing
