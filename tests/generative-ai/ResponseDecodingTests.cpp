#include "generative-ai/GenerateContentResponse.h"
#include "generative-ai/DecodingError.h"
#include "generative-ai/RPCError.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

namespace genai {
namespace {

using testing::LogCapture;

template <class Error, class Body>
Error decodeFailure(const Body& body) {
    try {
        (void)GenerateContentResponse::decode(body);
    } catch (const Error& error) {
        return error;
    }
    throw std::runtime_error("expected a decoding failure");
}

TEST(ResponseDecoding, ReadsCandidatesFeedbackUsageAndCitations) {
    const auto response = GenerateContentResponse::decode(R"({
        "candidates": [{
            "content": {"role": "model", "parts": [{"text": "Hi"}, {"inlineData": {"mime_type": "image/png", "data": "AAEC"}}]},
            "finishReason": "STOP",
            "safetyRatings": [{"category": "HARM_CATEGORY_HARASSMENT", "probability": "NEGLIGIBLE"}],
            "citationMetadata": {"citationSources": [
                {"endIndex": 5, "uri": "https://a.example", "license": ""},
                {"startIndex": 2, "endIndex": 9, "uri": "https://b.example", "license": "MIT"}]},
            "index": 0, "somethingNew": true
        }],
        "usageMetadata": {"totalTokenCount": 7},
        "modelVersion": "ignored"
    })");
    ASSERT_EQ(response.candidates.size(), 1u);
    const auto& candidate = response.candidates[0];
    EXPECT_EQ(candidate.content, ModelContent("model", {ModelContent::Part::text("Hi"),
                                                        ModelContent::Part::pngImage({0, 1, 2})}));
    EXPECT_EQ(candidate.finishReason, FinishReason::stop);
    EXPECT_EQ(candidate.safetyRatings, (std::vector<SafetyRating>{{SafetySetting::HarmCategory::harassment,
                                                                  SafetyRating::HarmProbability::negligible}}));
    ASSERT_TRUE(candidate.citationMetadata);
    EXPECT_EQ(candidate.citationMetadata->citationSources,
              (std::vector<Citation>{{0, 5, "https://a.example", std::nullopt}, {2, 9, "https://b.example", "MIT"}}));
    EXPECT_FALSE(response.promptFeedback);
    EXPECT_EQ(response.usageMetadata, (GenerateContentResponse::UsageMetadata{0, 0, 7}));
}

TEST(ResponseDecoding, NeedsCandidatesOrPromptFeedback) {
    const auto error = decodeFailure<DecodingError>("{}");
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
    EXPECT_TRUE(error.codingPathKeys().empty());
    EXPECT_EQ(error.description(),
              "Failed to decode GenerateContentResponse; missing keys 'candidates' and 'promptFeedback'.");

    // Present with null still counts as present.
    EXPECT_TRUE(GenerateContentResponse::decode(R"({"candidates": null})").candidates.empty());

    LogCapture logs;
    const auto blocked = GenerateContentResponse::decode(R"({"promptFeedback": {"blockReason": "SAFETY"}})");
    EXPECT_TRUE(blocked.candidates.empty());
    EXPECT_EQ(blocked.promptFeedback->blockReason, PromptFeedback::BlockReason::safety);
    EXPECT_TRUE(blocked.promptFeedback->safetyRatings.empty());
    EXPECT_FALSE(blocked.usageMetadata);
    EXPECT_EQ(blocked.text(), std::nullopt);
    EXPECT_EQ(logs.count("Could not get text from a response that had no candidates."), 1u);
    EXPECT_TRUE(blocked.functionCalls().empty());

    EXPECT_THROW(GenerateContentResponse::decode(""), DecodingError);
    EXPECT_THROW(GenerateContentResponse::decode("<html>busy</html>"), DecodingError);
    EXPECT_THROW(GenerateContentResponse::decode("[]"), DecodingError);
}

TEST(ResponseDecoding, UnreadableCandidateContentIsAnInvalidCandidate) {
    const auto empty = decodeFailure<InvalidCandidateError>(R"({"candidates": [{"content": {}}]})");
    EXPECT_EQ(empty.kind(), InvalidCandidateError::Kind::emptyContent);
    EXPECT_THROW(std::rethrow_exception(empty.underlyingError()), DecodingError);

    EXPECT_EQ(decodeFailure<InvalidCandidateError>(R"({"candidates": [{"content": 42}]})").kind(),
              InvalidCandidateError::Kind::malformedContent);
    EXPECT_EQ(decodeFailure<InvalidCandidateError>(R"({"candidates": [{"content": {"parts": [{"fileData": {}}]}}]})").kind(),
              InvalidCandidateError::Kind::malformedContent);
    EXPECT_EQ(decodeFailure<InvalidCandidateError>(R"({"candidates": [{"content": {"role": "model"}}]})").kind(),
              InvalidCandidateError::Kind::malformedContent);

    // No content at all: a user turn with no parts.
    const auto missing = GenerateContentResponse::decode(R"({"candidates": [{"finishReason": "STOP"}]})");
    EXPECT_EQ(missing.candidates[0].content, ModelContent("user", {}));
}

TEST(ResponseDecoding, PartsAreReadByTheirFirstKnownKey) {
    const auto parts = [](const std::string& partsJSON) {
        return GenerateContentResponse::decode(R"({"candidates": [{"content": {"parts": )" + partsJSON + "}}]}")
            .candidates[0].content.parts;
    };
    EXPECT_EQ(parts(R"([{"inlineData": {"mime_type": "a/b", "data": ""}, "text": "wins"}])"),
              std::vector{ModelContent::Part::text("wins")});
    EXPECT_EQ(parts(R"([{"functionCall": {"name": "f"}}])"),
              std::vector{ModelContent::Part::functionCall({"f", {}})});
    EXPECT_EQ(parts(R"([{"functionCall": {"name": "f", "args": {"n": 3, "s": "12", "b": true, "o": {}, "a": [], "z": null}}}])"),
              std::vector{ModelContent::Part::functionCall(
                  {"f", JSONObject{{"n", 3.0}, {"s", "12"}, {"b", true}, {"o", JSONObject{}}, {"a", JSONArray{}}, {"z", nullptr}}})});
    EXPECT_EQ(parts(R"([{"codeExecutionResult": {"outcome": "OUTCOME_OK"}}])"),
              std::vector{ModelContent::Part::codeExecutionResult({CodeExecutionResult::Outcome::ok, ""})});

    // The service never sends these: they are not readable parts.
    for (const auto* unreadable : {R"({"fileData": {"mime_type": "a/b", "file_uri": "u"}})",
                                   R"({"functionResponse": {"name": "f", "response": {}}})", "{}"}) {
        try {
            (void)GenerateContentResponse::decode(std::string(R"({"candidates": [{"content": {"parts": [)") + unreadable +
                                                  "]}}]}");
            ADD_FAILURE() << unreadable;
        } catch (const InvalidCandidateError& error) {
            try {
                std::rethrow_exception(error.underlyingError());
            } catch (const DecodingError& decoding) {
                EXPECT_EQ(decoding.description(), "No text, inline data or function call was found.");
                EXPECT_EQ(decoding.codingPathKeys(), (std::vector<std::string>{"text", "inlineData"}));
            }
        }
    }
    // A key present with null is still the key that decides, and null is no text.
    EXPECT_THROW(parts(R"([{"text": null, "inlineData": {"mime_type": "a/b", "data": ""}}])"), InvalidCandidateError);
    EXPECT_THROW(parts(R"([{"functionCall": null, "executableCode": {"language": "PYTHON", "code": "1"}}])"),
                 InvalidCandidateError);
    // Required pieces and Base64.
    EXPECT_THROW(parts(R"([{"inlineData": {"data": "AAAA"}}])"), InvalidCandidateError);
    EXPECT_THROW(parts(R"([{"inlineData": {"mime_type": "a/b", "data": "not base64!"}}])"), InvalidCandidateError);
    EXPECT_THROW(parts(R"([{"functionCall": {"args": {}}}])"), InvalidCandidateError);
    EXPECT_THROW(parts(R"([{"executableCode": {"language": "PYTHON"}}])"), InvalidCandidateError);
}

TEST(ResponseDecoding, UnknownEnumerationValuesBecomeUnknownWithOneLogLine) {
    LogCapture logs;
    const auto response = GenerateContentResponse::decode(R"({
        "candidates": [{"content": {"parts": [{"codeExecutionResult": {"outcome": "OUTCOME_MAYBE", "output": "x"}}]},
                        "finishReason": "TOO_LONG_WINDED",
                        "safetyRatings": [{"category": "UNKNOWN", "probability": "VERY_HIGH"},
                                          {"category": "HARM_CATEGORY_UNKNOWN", "probability": "UNKNOWN"},
                                          {"category": "harm_category_harassment", "probability": "low"}]}],
        "promptFeedback": {"blockReason": "NEW_REASON"}
    })");
    const auto& candidate = response.candidates[0];
    EXPECT_EQ(candidate.finishReason, FinishReason::unknown);
    EXPECT_EQ(response.promptFeedback->blockReason, PromptFeedback::BlockReason::unknown);
    EXPECT_EQ(candidate.content.parts[0], ModelContent::Part::codeExecutionResult({CodeExecutionResult::Outcome::unknown, "x"}));
    for (const auto& rating : candidate.safetyRatings) {
        EXPECT_EQ(rating.category, SafetySetting::HarmCategory::unknown);
        EXPECT_EQ(rating.probability, SafetyRating::HarmProbability::unknown);
    }
    const std::vector<std::string> expected{
        "[GenerativeAI] Unrecognized Outcome with value \"OUTCOME_MAYBE\".",
        "[GenerativeAI] Unrecognized HarmCategory with value \"UNKNOWN\".",
        "[GenerativeAI] Unrecognized HarmProbability with value \"VERY_HIGH\".",
        "[GenerativeAI] Unrecognized HarmCategory with value \"harm_category_harassment\".",
        "[GenerativeAI] Unrecognized HarmProbability with value \"low\".",
        "[GenerativeAI] Unrecognized FinishReason with value \"TOO_LONG_WINDED\".",
        "[GenerativeAI] Unrecognized BlockReason with value \"NEW_REASON\".",
    };
    EXPECT_EQ(logs.matching("[GenerativeAI] Unrecognized"), expected);
    for (const auto& [level, text] : logs.lines()) EXPECT_EQ(level, glimmo::LogLevel::error) << text;

    // The listed unknown values decode quietly; a number is no enumeration value at all.
    logs.clear();
    EXPECT_EQ(GenerateContentResponse::decode(R"({"candidates": [{"finishReason": "FINISH_REASON_UNKNOWN"}]})")
                  .candidates[0].finishReason, FinishReason::unknown);
    EXPECT_TRUE(logs.lines().empty());
    EXPECT_THROW(GenerateContentResponse::decode(R"({"candidates": [{"finishReason": 3}]})"), DecodingError);
    EXPECT_THROW(GenerateContentResponse::decode(R"({"candidates": [{"safetyRatings": [{"category": "HARM_CATEGORY_HARASSMENT"}]}]})"),
                 DecodingError);
}

TEST(ResponseDecoding, RequiredCitationAndUsageFieldsAreChecked) {
    EXPECT_THROW(GenerateContentResponse::decode(R"({"candidates": [{"citationMetadata": {}}]})"), DecodingError);
    EXPECT_THROW(GenerateContentResponse::decode(R"({"candidates": [{"citationMetadata": {"citationSources": [{"endIndex": 1}]}}]})"),
                 DecodingError);
    try {
        (void)GenerateContentResponse::decode(R"({"candidates": [], "usageMetadata": {"totalTokenCount": "7"}})");
        FAIL() << "expected a type mismatch";
    } catch (const DecodingError& error) {
        EXPECT_EQ(error.kind(), DecodingError::Kind::typeMismatch);
        EXPECT_EQ(error.codingPath(), "usageMetadata.totalTokenCount");
    }
}

GenerateContentResponse withParts(std::vector<ModelContent::Part> parts, std::vector<ModelContent::Part> second = {}) {
    GenerateContentResponse response;
    response.candidates.push_back(CandidateResponse{ModelContent("model", std::move(parts)), {}, FinishReason::stop, {}});
    response.candidates.push_back(CandidateResponse{ModelContent("model", std::move(second)), {}, std::nullopt, {}});
    return response;
}

TEST(ResponseText, JoinsTheFirstCandidatesTextBearingParts) {
    using Part = ModelContent::Part;
    EXPECT_EQ(withParts({Part::text("a"), Part::functionCall({"f", {}}), Part::text("b")}, {Part::text("never")}).text(),
              "a\nb");
    EXPECT_EQ(withParts({Part::text(""), Part::text("x")}).text(), "\nx");
    EXPECT_EQ(withParts({Part::executableCode({"PYTHON", "print(1)"})}).text(), "```python\nprint(1)\n```");
    EXPECT_EQ(withParts({Part::executableCode({"LANGUAGE_UNSPECIFIED", "x"})}).text(), "```\nx\n```");
    EXPECT_EQ(withParts({Part::codeExecutionResult({CodeExecutionResult::Outcome::failed, "boom"})}).text(),
              "```\nboom\n```");
    EXPECT_EQ(withParts({Part::text("a"), Part::functionCall({"f", {}}), Part::functionCall({"g", {}})}).functionCalls(),
              (std::vector<FunctionCall>{{"f", {}}, {"g", {}}}));

    LogCapture logs;
    EXPECT_EQ(withParts({Part::codeExecutionResult({CodeExecutionResult::Outcome::ok, ""}), Part::jpegImage({1})},
                        {Part::text("never")}).text(),
              std::nullopt);
    EXPECT_EQ(logs.count("Could not get a text part from the first candidate."), 1u);
    EXPECT_EQ(GenerateContentResponse{}.text(), std::nullopt);
    EXPECT_EQ(logs.count("Could not get text from a response that had no candidates."), 1u);
}

RPCError decodeRPC(const std::string& body) { return RPCError::decode(body); }

TEST(ServerErrorDecoding, FlattensTheErrorObject) {
    const auto error = decodeRPC(R"({"error": {"code": 400, "message": "API key not valid. Please pass a valid API key.",
        "status": "INVALID_ARGUMENT", "details": [
            {"@type": "type.googleapis.com/google.rpc.LocalizedMessage", "locale": "en-US"},
            {"@type": "type.googleapis.com/google.rpc.ErrorInfo", "reason": "API_KEY_INVALID", "domain": "googleapis.com"},
            {"@type": "type.googleapis.com/google.rpc.ErrorInfo", "reason": "SECOND"}]}})");
    EXPECT_EQ(error.httpResponseCode(), 400);
    EXPECT_EQ(error.message(), "API key not valid. Please pass a valid API key.");
    EXPECT_EQ(error.status(), RPCStatus::invalidArgument);
    EXPECT_EQ(error.details().size(), 3u);
    EXPECT_EQ(error.errorInfo(), (ErrorDetails{"type.googleapis.com/google.rpc.ErrorInfo", "API_KEY_INVALID", "googleapis.com"}));

    const auto bare = decodeRPC(R"({"error": {}})");
    EXPECT_EQ(bare.httpResponseCode(), -1);
    EXPECT_EQ(bare.message(), "Unknown error.");
    EXPECT_EQ(bare.status(), RPCStatus::unknown);
    EXPECT_TRUE(bare.details().empty());
    EXPECT_EQ(bare.errorInfo(), std::nullopt);

    EXPECT_EQ(decodeRPC(R"({"error": {"status": "UNAUTHENTICATED"}})").status(), RPCStatus::unauthenticated);
    EXPECT_EQ(decodeRPC(R"({"error": {"status": "INTERNAL"}})").status(), RPCStatus::internalError);
    for (const auto* status : {R"("NOT_A_STATUS")", R"("invalid_argument")", "16", "{}"}) {
        EXPECT_EQ(decodeRPC(std::string(R"({"error": {"status": )") + status + "}}").status(), RPCStatus::unknown) << status;
    }
    EXPECT_EQ(decodeRPC(R"({"error": {"details": [{"@type": "t"}]}})").details(),
              (std::vector<ErrorDetails>{{"t", std::nullopt, std::nullopt}}));
}

TEST(ServerErrorDecoding, MalformedErrorObjectsFailWithTheDecodingError) {
    for (const auto* body : {R"({"error": {"code": "400"}})", R"({"error": {"message": 1}})",
                             R"({"error": {"details": null}})", R"({"error": {"details": [{"reason": "X"}]}})",
                             R"({"message": "no error key"})", "<html>Bad gateway</html>", ""}) {
        EXPECT_THROW(decodeRPC(body), DecodingError) << body;
    }
}

TEST(ResponseDecoding, HostileRepliesAreDecodingErrorsNotCrashes) {
    // Arguments nested 10,000 deep: 20 KB on the wire.
    const std::string deepArguments = R"({"candidates": [{"content": {"parts": [{"functionCall": {"name": "f", "args": {"x": )" +
                                      std::string(10000, '[') + std::string(10000, ']') + "}}}]}}]}";
    EXPECT_THROW(GenerateContentResponse::decode(deepArguments), DecodingError);
    EXPECT_THROW(GenerateContentResponse::decode(R"({"candidates": [], "usageMetadata": {"totalTokenCount": -1e999}})"),
                 DecodingError);
}

} // namespace
} // namespace genai
