#include "generative-ai/GenerateContentRequest.h"
#include "generative-ai/ClientError.h"
#include "generative-ai/PartsRepresentable.h"
#include "tests/support/CommaDecimalLocale.h"

#include <gtest/gtest.h>
#include <cmath>
#include <nlohmann/json.hpp>

namespace genai {
namespace {

using nlohmann::json;

GenerateContentRequest baseRequest(std::vector<ModelContent> contents = {}) {
    GenerateContentRequest request;
    request.model = "models/gemini-2.0-flash";
    request.contents = std::move(contents);
    return request;
}

json body(const GenerateContentRequest& request) { return json::parse(request.encodeBody()); }

// Keys in the order the body holds them.
std::vector<std::string> keys(const nlohmann::ordered_json& object) {
    std::vector<std::string> result;
    for (auto it = object.begin(); it != object.end(); ++it) result.push_back(it.key());
    return result;
}

nlohmann::ordered_json orderedBody(const GenerateContentRequest& request) {
    return nlohmann::ordered_json::parse(request.encodeBody());
}

TEST(RequestEncoding, PlainRequestCarriesExactlyModelAndContents) {
    auto request = baseRequest({makeContent("Hello")});
    request.isStreaming = true;
    request.options.timeout = 12;
    const auto encoded = request.encodeBody();
    // Field order as declared, no nulls, nothing of the options or the streaming flag.
    EXPECT_EQ(encoded, R"({"model":"models/gemini-2.0-flash","contents":[{"role":"user","parts":[{"text":"Hello"}]}]})");

    const auto empty = orderedBody(baseRequest());
    EXPECT_EQ(keys(empty), (std::vector<std::string>{"model", "contents"}));
    EXPECT_TRUE(empty["contents"].is_array());
    EXPECT_TRUE(empty["contents"].empty());
}

TEST(RequestEncoding, SettingsGoOutInSnakeCaseOnlyWhenPresent) {
    auto request = baseRequest();
    GenerationConfig config;
    config.temperature = 0;
    config.topP = 0.7f;
    config.maxOutputTokens = 256;
    config.stopSequences = std::vector<std::string>{};
    config.responseMIMEType = "application/json";
    config.responseSchema = Schema::make(DataType::string);
    request.generationConfig = config;
    request.safetySettings = std::vector<SafetySetting>{
        {SafetySetting::HarmCategory::hateSpeech, SafetySetting::BlockThreshold::blockOnlyHigh},
        {SafetySetting::HarmCategory::unknown, SafetySetting::BlockThreshold::unknown}};
    request.toolConfig = ToolConfig{FunctionCallingConfig{FunctionCallingConfig::Mode::any, std::vector<std::string>{"f"}}};
    request.systemInstruction = ModelContent("system", {ModelContent::Part::text("Be brief.")});

    const auto encoded = body(request);
    EXPECT_EQ(keys(orderedBody(request)), (std::vector<std::string>{"model", "contents", "generation_config", "safety_settings",
                                                       "tool_config", "system_instruction"}));
    const auto& generation = encoded["generation_config"];
    EXPECT_EQ(keys(orderedBody(request)["generation_config"]), (std::vector<std::string>{"temperature", "top_p", "max_output_tokens", "stop_sequences",
                                                          "response_mime_type", "response_schema"}));
    EXPECT_EQ(generation["temperature"], 0);
    EXPECT_EQ(generation["top_p"].dump(), "0.7");  // the float's own digits
    EXPECT_EQ(generation["max_output_tokens"], 256);
    EXPECT_EQ(generation["stop_sequences"], json::array());
    EXPECT_EQ(generation["response_mime_type"], "application/json");
    EXPECT_EQ(generation["response_schema"], json({{"type", "STRING"}}));

    EXPECT_EQ(encoded["safety_settings"][0], json({{"category", "HARM_CATEGORY_HATE_SPEECH"}, {"threshold", "BLOCK_ONLY_HIGH"}}));
    EXPECT_EQ(encoded["safety_settings"][1], json({{"category", "HARM_CATEGORY_UNKNOWN"}, {"threshold", "UNKNOWN"}}));
    EXPECT_EQ(encoded["tool_config"], json::parse(R"({"function_calling_config":{"mode":"ANY","allowed_function_names":["f"]}})"));
    EXPECT_EQ(encoded["system_instruction"], json::parse(R"({"role":"system","parts":[{"text":"Be brief."}]})"));

    // An empty config is still an object; a present empty list is still a list.
    auto emptyConfig = baseRequest();
    emptyConfig.generationConfig = GenerationConfig{};
    emptyConfig.safetySettings = std::vector<SafetySetting>{};
    EXPECT_EQ(body(emptyConfig)["generation_config"], json::object());
    EXPECT_EQ(body(emptyConfig)["safety_settings"], json::array());
    emptyConfig.toolConfig = ToolConfig{};
    emptyConfig.tools = std::vector<Tool>{Tool{}};
    EXPECT_EQ(body(emptyConfig)["tool_config"], json::object());
    EXPECT_EQ(body(emptyConfig)["tools"], json::parse("[{}]"));
}

// A Qt program runs under the user's locale, where the decimal separator may be a comma.
TEST(RequestEncoding, FractionsGoOutTheSameUnderACommaDecimalLocale) {
    const glimmo::testing::CommaDecimalLocale locale;
    if (!locale.isSet()) GTEST_SKIP() << glimmo::testing::CommaDecimalLocale::missingReason;
    auto request = baseRequest();
    request.generationConfig = GenerationConfig{.temperature = 0.7f, .topP = 0.25f};
    EXPECT_EQ(request.encodeBody(), R"({"model":"models/gemini-2.0-flash","contents":[],)"
                                    R"("generation_config":{"temperature":0.7,"top_p":0.25}})");
}

TEST(RequestEncoding, PartsUseTheirWireForms) {
    ModelContent turn(std::nullopt, {
        ModelContent::Part::text(""),
        ModelContent::Part::jpegImage({0xff, 0xd8, 0x00}),
        ModelContent::Part::pngImage({}),
        ModelContent::Part::fileData("application/pdf", "files/abc"),
        ModelContent::Part::executableCode({"PYTHON", "print(1)"}),
        ModelContent::Part::codeExecutionResult({CodeExecutionResult::Outcome::ok, "1"}),
    });
    const auto encoded = body(baseRequest({turn}))["contents"][0];
    EXPECT_FALSE(encoded.contains("role"));
    EXPECT_EQ(encoded["parts"], json::parse(R"j([
        {"text": ""},
        {"inline_data": {"mime_type": "image/jpeg", "data": "/9gA"}},
        {"inline_data": {"mime_type": "image/png", "data": ""}},
        {"file_data": {"mime_type": "application/pdf", "file_uri": "files/abc"}},
        {"executable_code": {"language": "PYTHON", "code": "print(1)"}},
        {"code_execution_result": {"outcome": "OUTCOME_OK", "output": "1"}}
    ])j"));
    EXPECT_EQ(body(baseRequest({ModelContent("model", {})}))["contents"][0], json::parse(R"({"role":"model","parts":[]})"));
}

TEST(RequestEncoding, InlineBytesRoundTripThroughStandardBase64) {
    std::vector<std::uint8_t> everyByte(256);
    for (std::size_t i = 0; i < everyByte.size(); ++i) everyByte[i] = static_cast<std::uint8_t>(i);
    for (const auto& bytes : {everyByte, std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0xfb, 0xff}}) {
        const auto sent = body(baseRequest({ModelContent("user", {ModelContent::Part::pngImage(bytes)})}));
        const auto encoded = sent["contents"][0]["parts"][0]["inline_data"]["data"].get<std::string>();
        EXPECT_EQ(encoded.find_first_of("\r\n-_"), std::string::npos);
        EXPECT_EQ(encoded.size() % 4, 0u);
        // Read back the way a reply carries it.
        const json reply{{"candidates", {{{"content", {{"parts", {{{"inlineData", {{"mime_type", "image/png"}, {"data", encoded}}}}}}}}}}}};
        EXPECT_EQ(GenerateContentResponse::decode(reply.dump()).candidates[0].content.parts[0],
                  ModelContent::Part::pngImage(bytes));
    }
}

TEST(RequestEncoding, CallerChosenKeysAreNeverRewritten) {
    // Function arguments, responses and schema members are the caller's data: a camel-case or
    // upper-case key must reach the service exactly as written.
    JSONObject args{{"userName", "ada"}, {"maxCount", 3}, {"nested", JSONObject{{"innerKey", JSONArray{1.5, true, nullptr}}}}};
    ModelContent turn("user", {ModelContent::Part::functionCall({"lookUp", args}),
                               ModelContent::Part::functionResponse({"lookUp", JSONObject{{"resultValue", "ok"}}})});
    auto request = baseRequest({turn});
    auto itemSchema = Schema::make(DataType::integer, std::string("int64"));
    std::map<std::string, Schema::Pointer> properties{
        {"firstName", Schema::make(DataType::string, std::nullopt, std::string("Given name"), true,
                                   std::vector<std::string>{"A", "B"})},
        {"luckyNumbers", Schema::make(DataType::array, std::nullopt, std::nullopt, std::nullopt, std::nullopt, itemSchema)}};
    request.tools = std::vector<Tool>{
        Tool{std::vector<FunctionDeclaration>{FunctionDeclaration("lookUp", "Looks up", properties,
                                                                  std::vector<std::string>{"firstName"}),
                                              FunctionDeclaration("noParameters", "None")},
             std::nullopt},
        Tool{std::nullopt, CodeExecution{}}};

    const auto encoded = body(request);
    EXPECT_EQ(encoded["contents"][0]["parts"][0], json::parse(R"({"function_call": {"name": "lookUp",
        "args": {"maxCount": 3, "nested": {"innerKey": [1.5, true, null]}, "userName": "ada"}}})"));
    EXPECT_EQ(encoded["contents"][0]["parts"][1],
              json::parse(R"({"function_response": {"name": "lookUp", "response": {"resultValue": "ok"}}})"));
    EXPECT_EQ(encoded["tools"], json::parse(R"([
        {"function_declarations": [
            {"name": "lookUp", "description": "Looks up", "parameters": {
                "type": "OBJECT",
                "properties": {
                    "firstName": {"type": "STRING", "description": "Given name", "nullable": true, "enum": ["A", "B"]},
                    "luckyNumbers": {"type": "ARRAY", "items": {"type": "INTEGER", "format": "int64"}}
                },
                "required": ["firstName"]}},
            {"name": "noParameters", "description": "None", "parameters": {"type": "OBJECT"}}
        ]},
        {"code_execution": {}}
    ])"));
    // Whole numbers are written without a fraction.
    EXPECT_NE(request.encodeBody().find(R"("maxCount":3,)"), std::string::npos);
}

TEST(RequestEncoding, NumbersThatJSONCannotHoldFailTheEncoding) {
    auto request = baseRequest({ModelContent("user", {ModelContent::Part::functionResponse(
                                                         {"f", JSONObject{{"x", std::nan("")}}})})});
    EXPECT_THROW(request.encodeBody(), std::invalid_argument);
}

TEST(RequestEncoding, EndpointsFollowTheBaseAddressVersionAndModel) {
    auto request = baseRequest();
    request.options.baseURL = "http://127.0.0.1:8080";
    EXPECT_EQ(request.url(), "http://127.0.0.1:8080/v1beta/models/gemini-2.0-flash:generateContent");
    request.isStreaming = true;
    EXPECT_EQ(request.url(), "http://127.0.0.1:8080/v1beta/models/gemini-2.0-flash:streamGenerateContent?alt=sse");
    request.model = "tunedModels/a/b";
    request.options.apiVersion = "v1";
    EXPECT_EQ(request.url(), "http://127.0.0.1:8080/v1/tunedModels/a/b:streamGenerateContent?alt=sse");

    const CountTokensRequest count{"models/gemini-2.0-flash", baseRequest(), RequestOptions{}};
    EXPECT_EQ(count.url(), "https://generativelanguage.googleapis.com/v1beta/models/gemini-2.0-flash:countTokens");
    const auto countBody = json::parse(count.encodeBody());
    EXPECT_EQ(keys(nlohmann::ordered_json::parse(count.encodeBody())), std::vector<std::string>{"generate_content_request"});
    EXPECT_EQ(countBody["generate_content_request"]["model"], "models/gemini-2.0-flash");
}

TEST(RequestEncoding, NamesThatCannotFormAURLAreATypedError) {
    auto request = baseRequest();
    request.model = "models/gemini 2.0";
    EXPECT_THROW(request.url(), InvalidRequestURLError);
    request.model = "models/gemini-2.0-flash";
    request.options.apiVersion = "v1\nbeta";
    EXPECT_THROW(request.url(), InvalidRequestURLError);
    request.options.apiVersion = "v1beta";
    request.options.baseURL = "not a url";
    try {
        (void)request.url();
        FAIL() << "expected an error";
    } catch (const InvalidRequestURLError& error) {
        EXPECT_EQ(error.domain(), clientErrorDomain);
        EXPECT_EQ(error.code(), -1);
    }
}

} // namespace
} // namespace genai
