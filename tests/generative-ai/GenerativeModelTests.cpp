#include "GeminiTestSupport.h"
#include "LogCapture.h"

#include "generative-ai/ClientError.h"
#include "generative-ai/DecodingError.h"
#include "generative-ai/Logging.h"
#include "generative-ai/RPCError.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/ManualRunLoop.h"

#include <nlohmann/json.hpp>

namespace genai::testing {
namespace {

using nlohmann::json;

const std::string invalidKeyBody = R"({"error": {"code": 400, "message": "API key not valid. Please pass a valid API key.",
    "status": "INVALID_ARGUMENT", "details": [{"@type": "type.googleapis.com/google.rpc.ErrorInfo",
    "reason": "API_KEY_INVALID", "domain": "googleapis.com"}]}})";
const std::string locationBody = R"({"error": {"code": 400, "message": "User location is not supported for the API use.",
    "status": "FAILED_PRECONDITION"}})";

using GenerateContent = GeminiTest;

TEST_F(GenerateContent, PostsThePromptWithItsHeadersAndReadsTheText) {
    LogCapture logs;
    reply(generatePath, 200, R"({"candidates": [{"content": {"role": "model", "parts": [{"text": "Hello"}, {"text": "World"}]},
        "finishReason": "STOP", "index": 0}], "usageMetadata": {"promptTokenCount": 3, "totalTokenCount": 5}})");
    const auto gemini = model(300);
    EXPECT_EQ(gemini.modelResourceName(), "models/gemini-2.0-flash");

    const auto response = run(gemini.generateContent("Summarise my day"));
    EXPECT_EQ(response.text(), "Hello\nWorld");
    EXPECT_EQ(response.usageMetadata->totalTokenCount, 5);

    ASSERT_EQ(server.requestCount(), 1u);
    const auto request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, generatePath);
    EXPECT_EQ(request.header("x-goog-api-key"), apiKey);
    EXPECT_EQ(request.header("x-goog-api-client"), "genai-cpp/1.0.0");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(json::parse(request.body),
              json::parse(R"({"model": "models/gemini-2.0-flash",
                              "contents": [{"role": "user", "parts": [{"text": "Summarise my day"}]}]})"));

    EXPECT_EQ(logs.matching("[GenerativeAI] Model "),
              std::vector<std::string>{"[GenerativeAI] Model gemini-2.0-flash initialized. To enable additional logging, "
                                       "add `-GenerativeAIDebugLogEnabled` as a launch argument."});
    EXPECT_EQ(logs.count("[GenerativeAI] Verbose logging enabled."), Logging::additionalLoggingEnabled() ? 1u : 0u);
    EXPECT_FALSE(logs.containsText(apiKey));
}

TEST_F(GenerateContent, ACallerOnTheMainLoopResumesThere) {
    reply(generatePath, 200, textReply("back"));
    const auto gemini = model();
    const auto resumedOnLoop = [](const GenerativeModel& gemini, glimmo::RealTimeRunLoop& loop) -> glimmo::Task<bool> {
        const bool before = loop.isCurrent();
        auto request = gemini.generateContent(std::string("x"));
        const auto response = co_await std::move(request);
        co_return before && loop.isCurrent() && response.text() == "back";
    };
    EXPECT_TRUE(run(resumedOnLoop(gemini, *loop)));
}

TEST_F(GenerateContent, OneModelServesRequestsThatOverlap) {
    // Each reply echoes its prompt after a pause, so the two exchanges are in flight together.
    server.on("POST", generatePath, [](const glimmo::testing::RecordedRequest& request, auto& out) {
        const auto prompt = json::parse(request.body)["contents"][0]["parts"][0]["text"].get<std::string>();
        out.stallSeconds = 0.3;
        out.headers = {{"Content-Type", "application/json"}};
        out.body = textReply("echo " + prompt);
    });
    const auto gemini = model();
    std::optional<std::string> first;
    std::optional<std::string> second;
    const auto ask = [](GenerativeModel gemini, std::string prompt, std::optional<std::string>& answer) -> glimmo::Task<void> {
        auto request = gemini.generateContent(prompt);
        const auto response = co_await std::move(request);
        answer = response.text();
    };
    glimmo::startTask(*loop, ask(gemini, "one", first));
    glimmo::startTask(*loop, ask(gemini, "two", second));
    ASSERT_TRUE(loop->runUntil([&] { return first && second; }, 10));
    EXPECT_EQ(first, "echo one");
    EXPECT_EQ(second, "echo two");
}

TEST_F(GenerateContent, SendsTheModelsSettingsAndEveryPromptPart) {
    reply(generatePath, 200, textReply("ok"));
    GenerationConfig config;
    config.maxOutputTokens = 10;
    const GenerativeModel gemini("tunedModels/mine", apiKey, config,
                                 std::vector<SafetySetting>{{SafetySetting::HarmCategory::harassment,
                                                             SafetySetting::BlockThreshold::blockNone}},
                                 std::nullopt, std::nullopt, std::vector<std::string>{}, options());
    EXPECT_EQ(gemini.modelResourceName(), "tunedModels/mine");
    server.on("POST", "/v1beta/tunedModels/mine:generateContent", [](const auto&, auto& out) {
        out.headers = {{"Content-Type", "application/json"}};
        out.body = textReply("tuned");
    });
    const glimmo::DecodedImage pixel{1, 1, 1, {10, 20, 30, 255}};
    EXPECT_EQ(run(gemini.generateContent("look", pixel, std::string("twice"))).text(), "tuned");

    const auto body = json::parse(server.requests().at(0).body);
    EXPECT_EQ(body["generation_config"], json::parse(R"({"max_output_tokens": 10})"));
    EXPECT_EQ(body["safety_settings"], json::parse(R"([{"category": "HARM_CATEGORY_HARASSMENT", "threshold": "BLOCK_NONE"}])"));
    EXPECT_EQ(body["system_instruction"], json::parse(R"({"role": "system", "parts": []})"));
    const auto& parts = body["contents"][0]["parts"];
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1]["inline_data"]["mime_type"], "image/jpeg");
    EXPECT_TRUE(parts[1]["inline_data"]["data"].get<std::string>().starts_with("/9j/"));
    EXPECT_EQ(parts[2], json::parse(R"({"text": "twice"})"));
}

TEST_F(GenerateContent, BlockedPromptsAndEarlyStopsAreErrorsWithTheReply) {
    std::string body;
    server.on("POST", generatePath, [&body](const auto&, auto& out) {
        out.headers = {{"Content-Type", "application/json"}};
        out.body = body;
    });
    const auto gemini = model();

    // The block check comes before the finish reason.
    body = R"({"promptFeedback": {"blockReason": "BLOCK_REASON_UNSPECIFIED"}, "candidates": [{"finishReason": "STOP"}]})";
    auto blocked = runFailing<GenerateContentError>(gemini.generateContent("x"));
    ASSERT_TRUE(blocked);
    EXPECT_EQ(blocked->kind(), GenerateContentError::Kind::promptBlocked);
    EXPECT_EQ(blocked->response()->promptFeedback->blockReason, PromptFeedback::BlockReason::unspecified);

    const std::vector<std::pair<std::string, FinishReason>> stops{
        {"SAFETY", FinishReason::safety},         {"MAX_TOKENS", FinishReason::maxTokens},
        {"RECITATION", FinishReason::recitation}, {"OTHER", FinishReason::other},
        {"FINISH_REASON_UNSPECIFIED", FinishReason::unspecified}, {"SOMETHING_NEW", FinishReason::unknown}};
    for (const auto& [wire, reason] : stops) {
        body = R"({"candidates": [{"content": {"parts": [{"text": "partial"}]}, "finishReason": ")" + wire +
               R"("}, {"finishReason": "STOP"}]})";
        const auto stopped = runFailing<GenerateContentError>(gemini.generateContent("x"));
        ASSERT_TRUE(stopped) << wire;
        EXPECT_EQ(stopped->kind(), GenerateContentError::Kind::responseStoppedEarly) << wire;
        EXPECT_EQ(stopped->reason(), reason) << wire;
        EXPECT_EQ(stopped->response()->candidates[0].content.parts[0].textValue(), "partial");
    }

    // Only the first candidate counts; no finish reason passes; an empty reply passes.
    body = R"({"candidates": [{"content": {"parts": [{"text": "fine"}]}}, {"finishReason": "SAFETY"}]})";
    EXPECT_EQ(run(gemini.generateContent("x")).text(), "fine");
    body = R"({"candidates": []})";
    EXPECT_TRUE(run(gemini.generateContent("x")).candidates.empty());
}

TEST_F(GenerateContent, ServerErrorsMapToTheirCases) {
    LogCapture logs;
    std::pair<int, std::string> next;
    server.on("POST", generatePath, [&next](const auto&, auto& out) {
        out.status = next.first;
        out.headers = {{"Content-Type", "application/json"}};
        out.body = next.second;
    });
    const auto gemini = model();

    next = {400, invalidKeyBody};
    const auto invalidKey = runFailing<GenerateContentError>(gemini.generateContent("x"));
    ASSERT_TRUE(invalidKey);
    EXPECT_EQ(invalidKey->kind(), GenerateContentError::Kind::invalidAPIKey);
    EXPECT_EQ(invalidKey->message(), "API key not valid. Please pass a valid API key.");
    EXPECT_EQ(logs.matching("[GenerativeAI] Response payload: "),
              std::vector<std::string>{"[GenerativeAI] Response payload: " + invalidKeyBody});
    // The status line is written only with the debug launch argument.
    EXPECT_EQ(logs.count("[GenerativeAI] The server responded with an error: "),
              Logging::additionalLoggingEnabled() ? 1u : 0u);

    next = {400, locationBody};
    const auto location = runFailing<GenerateContentError>(gemini.generateContent("x"));
    ASSERT_TRUE(location);
    EXPECT_EQ(location->kind(), GenerateContentError::Kind::unsupportedUserLocation);

    // Any other wording is an internal error carrying the server's error.
    next = {403, R"({"error": {"code": 403, "message": "User location is not supported for the API use. ", "status": "PERMISSION_DENIED"}})"};
    const auto other = runFailing<GenerateContentError>(gemini.generateContent("x"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->kind(), GenerateContentError::Kind::internalError);
    const auto rpc = errorAs<RPCError>(other->underlying());
    ASSERT_TRUE(rpc);
    EXPECT_EQ(rpc->httpResponseCode(), 403);
    EXPECT_EQ(rpc->status(), RPCStatus::permissionDenied);

    // A gateway's HTML page is no error object: its decoding error is what surfaces.
    next = {502, "<html><body>Bad Gateway</body></html>"};
    const auto html = runFailing<GenerateContentError>(gemini.generateContent("x"));
    ASSERT_TRUE(html);
    EXPECT_EQ(html->kind(), GenerateContentError::Kind::internalError);
    EXPECT_TRUE(errorAs<DecodingError>(html->underlying()));

    // A body that is no UTF-8 text is not logged, and is still read as an error object.
    logs.clear();
    next = {500, "{\"error\": {\"message\": \"\xff\xfe\"}}"};
    const auto binary = runFailing<GenerateContentError>(gemini.generateContent("x"));
    ASSERT_TRUE(binary);
    EXPECT_TRUE(errorAs<DecodingError>(binary->underlying()));
    EXPECT_EQ(logs.count("[GenerativeAI] Response payload: "), 0u);

    // 204 is not 200: the empty body is read as an error object and fails to decode.
    next = {204, ""};
    const auto noContent = runFailing<GenerateContentError>(gemini.generateContent("x"));
    ASSERT_TRUE(noContent);
    EXPECT_TRUE(errorAs<DecodingError>(noContent->underlying()));
    EXPECT_FALSE(logs.containsText(apiKey));
}

TEST_F(GenerateContent, AHugeErrorBodyIsLoggedAsAnExcerptWithItsSize) {
    LogCapture logs;
    const std::string body =
        R"({"error": {"code": 500, "message": ")" + std::string(1 << 20, 'x') + R"(", "status": "INTERNAL"}})";
    reply(generatePath, 500, body);
    ASSERT_TRUE(runFailing<GenerateContentError>(model().generateContent("x")));
    const auto payload = logs.matching("[GenerativeAI] Response payload: ");
    ASSERT_EQ(payload.size(), 1u);
    EXPECT_EQ(payload[0], "[GenerativeAI] Response payload: " + body.substr(0, glimmo::logExcerptLimit) + "… (" +
                              std::to_string(body.size()) + " bytes in all)");
}

TEST_F(GenerateContent, UnreadableSuccessfulRepliesAreDecodingErrors) {
    LogCapture logs;
    std::string body;
    server.on("POST", generatePath, [&body](const auto&, auto& out) {
        out.headers = {{"Content-Type", "text/html"}};
        out.body = body;
    });
    const auto gemini = model();
    for (const auto* text : {"", "<html>Service page</html>", "{}"}) {
        body = text;
        logs.clear();
        const auto error = runFailing<GenerateContentError>(gemini.generateContent("x"));
        ASSERT_TRUE(error) << text;
        EXPECT_EQ(error->kind(), GenerateContentError::Kind::internalError);
        EXPECT_TRUE(errorAs<DecodingError>(error->underlying())) << text;
        EXPECT_EQ(logs.count("[GenerativeAI] Error decoding server JSON: "), 1u) << text;
        EXPECT_EQ(logs.count("[GenerativeAI] JSON response: "), Logging::additionalLoggingEnabled() ? 1u : 0u);
    }
}

TEST_F(GenerateContent, PromptsThatCannotBeBuiltAreRefusedBeforeSending) {
    const auto gemini = model();
    const auto image = runFailing<GenerateContentError>(gemini.generateContent("look", glimmo::DecodedImage{}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->kind(), GenerateContentError::Kind::promptImageContentError);
    const auto conversion = errorAs<ImageConversionError>(image->underlying());
    ASSERT_TRUE(conversion);
    EXPECT_EQ(conversion->kind(), ImageConversionError::Kind::invalidUnderlyingImage);

    const auto producer = runFailing<GenerateContentError>(
        gemini.generateContent(ContentsProducer([]() -> std::vector<ModelContent> { throw std::runtime_error("no"); })));
    ASSERT_TRUE(producer);
    EXPECT_EQ(producer->kind(), GenerateContentError::Kind::internalError);

    const GenerativeModel badName("gemini 2.0 flash", apiKey, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                  std::nullopt, options());
    const auto url = runFailing<GenerateContentError>(badName.generateContent("x"));
    ASSERT_TRUE(url);
    EXPECT_EQ(url->kind(), GenerateContentError::Kind::internalError);
    EXPECT_TRUE(errorAs<InvalidRequestURLError>(url->underlying()));
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(GenerateContent, ASilentServerTimesOut) {
    server.on("POST", generatePath, [](const auto&, auto& out) {
        out.stallSeconds = 5;
        out.body = textReply("late");
    });
    const auto error = runFailing<GenerateContentError>(model(0.5).generateContent("x"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GenerateContentError::Kind::internalError);
    const auto http = errorAs<glimmo::HttpError>(error->underlying());
    ASSERT_TRUE(http);
    EXPECT_EQ(http->kind(), glimmo::HttpError::Kind::timedOut);
}

using CountTokens = GeminiTest;

TEST_F(GenerateContent, TheKeyGoesToNoOtherOriginAndIntoNoOtherHeader) {
    glimmo::testing::LoopbackServer elsewhere;
    elsewhere.on("POST", generatePath, [](const auto&, auto& out) { out.body = textReply("collected"); });
    server.on("POST", generatePath, [&elsewhere](const auto&, auto& out) {
        out.status = 307;
        out.headers = {{"Location", elsewhere.url(generatePath)}};
    });
    EXPECT_EQ(httpKindUnder(runFailing<GenerateContentError>(model().generateContent("x"))),
              glimmo::HttpError::Kind::redirectRefused);
    EXPECT_EQ(elsewhere.requestCount(), 0u);

    const GenerativeModel injecting("gemini-2.0-flash", "AIzaKey\r\nX-Injected: yes", std::nullopt, std::nullopt,
                                    std::nullopt, std::nullopt, std::nullopt, options());
    EXPECT_EQ(httpKindUnder(runFailing<GenerateContentError>(injecting.generateContent("x"))),
              glimmo::HttpError::Kind::invalidHeader);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(GenerateContent, AReplyPastTheLimitEndsTheRequest) {
    server.on("POST", generatePath, [](const auto&, auto& out) {
        out.chunks.assign(maximumReplyBytes / (1 << 20) + 1, {std::string(1 << 20, ' ')});
    });
    EXPECT_EQ(httpKindUnder(runFailing<GenerateContentError>(model().generateContent("x"))), glimmo::HttpError::Kind::tooLarge);
}

TEST_F(CountTokens, NestsTheWholeRequestAndReadsTheCount) {
    reply(countPath, 200, R"({"totalTokens": 0, "totalBillableCharacters": 12})");
    const GenerativeModel gemini("gemini-2.0-flash", apiKey, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                 ModelContent("system", {ModelContent::Part::text("Be kind.")}), options());
    EXPECT_EQ(run(gemini.countTokens("How many?")).totalTokens, 0);

    const auto request = server.requests().at(0);
    EXPECT_EQ(request.path, countPath);
    EXPECT_EQ(request.header("x-goog-api-key"), apiKey);
    EXPECT_EQ(json::parse(request.body), json::parse(R"({"generate_content_request": {
        "model": "models/gemini-2.0-flash",
        "contents": [{"role": "user", "parts": [{"text": "How many?"}]}],
        "system_instruction": {"role": "system", "parts": [{"text": "Be kind."}]}}})"));
}

TEST_F(CountTokens, EveryFailureIsAnInternalError) {
    std::pair<int, std::string> next;
    server.on("POST", countPath, [&next](const auto&, auto& out) {
        out.status = next.first;
        out.headers = {{"Content-Type", "application/json"}};
        out.body = next.second;
    });
    const auto gemini = model();

    next = {400, invalidKeyBody};
    const auto refused = runFailing<CountTokensError>(gemini.countTokens("x"));
    ASSERT_TRUE(refused);
    EXPECT_TRUE(errorAs<RPCError>(refused->underlying()));

    next = {200, R"({"totalTokens": "many"})"};
    const auto malformed = runFailing<CountTokensError>(gemini.countTokens("x"));
    ASSERT_TRUE(malformed);
    EXPECT_TRUE(errorAs<DecodingError>(malformed->underlying()));

    const auto image = runFailing<CountTokensError>(gemini.countTokens(glimmo::DecodedImage{}));
    ASSERT_TRUE(image);
    EXPECT_TRUE(errorAs<ImageConversionError>(image->underlying()));
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST(HTTPService, AReplyWithoutAnHTTPStatusIsAClientError) {
    LogCapture logs;
    for (const int status : {200, 204, 404, 599}) EXPECT_NO_THROW(GenerativeAIService::httpResponse(status));
    EXPECT_TRUE(logs.lines().empty());
    for (const int status : {0, 99, 1000}) {
        try {
            GenerativeAIService::httpResponse(status);
            ADD_FAILURE() << status;
        } catch (const glimmo::Error& error) {
            EXPECT_EQ(error.domain(), clientErrorDomain);
            EXPECT_EQ(error.code(), -1);
            EXPECT_EQ(error.localizedDescription(), "Response was not an HTTP response.");
        }
    }
    EXPECT_EQ(logs.count("[GenerativeAI] Response wasn't an HTTP response, internal error "), 3u);
}

TEST(ModelErrorMapping, AppliesTheRulesInOrder) {
    const auto map = [](auto error) { return GenerativeModel::generateContentError(std::make_exception_ptr(error)); };
    EXPECT_EQ(map(GenerateContentError::unsupportedUserLocation()).kind(), GenerateContentError::Kind::unsupportedUserLocation);

    const RPCError both(400, "User location is not supported for the API use.", RPCStatus::invalidArgument,
                        {{"other", "API_KEY_INVALID", std::nullopt}, {errorInfoTypeURL, "API_KEY_INVALID", std::nullopt}});
    EXPECT_EQ(map(both).kind(), GenerateContentError::Kind::invalidAPIKey);

    const RPCError wrongReason(400, "User location is not supported for the API use.", RPCStatus::invalidArgument,
                               {{errorInfoTypeURL, "api_key_invalid", std::nullopt}});
    EXPECT_EQ(map(wrongReason).kind(), GenerateContentError::Kind::unsupportedUserLocation);

    const auto internal = map(std::runtime_error("boom"));
    EXPECT_EQ(internal.kind(), GenerateContentError::Kind::internalError);
    EXPECT_THROW(std::rethrow_exception(internal.underlying()), std::runtime_error);
}

// Thrown on a queue, the error reaches the awaiting task as a copy of its own, with the error under it
// (of either kind it may hold) copied too.
TEST(ModelErrorMapping, AnErrorFromAnotherThreadKeepsItsKindMessageAndWhatItHolds) {
    glimmo::ManualRunLoop loop;
    glimmo::BackgroundQueue queue;
    const auto crossed = [&](const GenerateContentError& error) {
        try {
            glimmo::runBlocking(loop, queue.perform([error]() -> int { throw error; }));
        } catch (const GenerateContentError& copy) {
            EXPECT_EQ(copy.kind(), error.kind());
            EXPECT_STREQ(copy.what(), error.what());
            if (error.underlying()) EXPECT_NE(copy.underlying(), error.underlying());
            return copy;
        }
        throw std::logic_error("no error came back");
    };
    const auto refused = std::make_exception_ptr(RPCError(503, "Try later.", RPCStatus::unavailable, {}));
    EXPECT_TRUE(errorAs<RPCError>(crossed(GenerateContentError::internalError(refused)).underlying()));
    const auto image = GenerateContentError::promptImageContentError(ImageConversionError::invalidUnderlyingImage());
    EXPECT_TRUE(errorAs<ImageConversionError>(crossed(image).underlying()));
    const auto stopped = crossed(GenerateContentError::responseStoppedEarly(FinishReason::safety, {}));
    EXPECT_EQ(stopped.reason(), FinishReason::safety);
    EXPECT_TRUE(stopped.response());
    EXPECT_EQ(crossed(GenerateContentError::invalidAPIKey("Not valid.")).message(), "Not valid.");
}

} // namespace
} // namespace genai::testing
