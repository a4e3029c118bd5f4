#include "generative-ai/internal/JSONCoding.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/NumberText.h"

#include <cmath>
#include <limits>
#include <stdexcept>

// Request bodies go out with the fixed field names in snake case, as the service expects. The
// conversion is written out key by key rather than applied to the finished document, so that keys
// chosen by the caller (JSON values, schema members, function arguments) are never rewritten.

namespace genai::coding {

namespace {

// Whole numbers go out without a fraction ("3", not "3.0"), as a decimal conversion writes them.
Json encodeNumber(double number) {
    if (!std::isfinite(number)) {
        throw std::invalid_argument("A number that is not finite cannot be written as JSON.");
    }
    constexpr double limit = 9007199254740992.0;  // 2^53: every integer below is exact
    if (std::isfinite(number) && std::trunc(number) == number && std::fabs(number) <= limit) {
        return Json(static_cast<std::int64_t>(number));
    }
    return Json(number);
}

// A single-precision value written with its own shortest digits: 0.7f goes out as 0.7, not as the
// double nearest to it. The digits go through text that no locale touches.
Json encodeFloat(float value) {
    if (!std::isfinite(value)) return encodeNumber(value);
    return encodeNumber(*glimmo::parseNumber(glimmo::numberText(value)));
}

Json encodeStrings(const std::vector<std::string>& strings) {
    Json array = Json::array();
    for (const auto& text : strings) array.push_back(text);
    return array;
}

template <class T>
Json encodeList(const std::vector<T>& values) {
    Json array = Json::array();
    for (const auto& value : values) array.push_back(encode(value));
    return array;
}

} // namespace

Json encode(const JSONValue& value) {
    switch (value.kind()) {
    case JSONValue::Kind::number: return encodeNumber(value.number());
    case JSONValue::Kind::string: return Json(value.string());
    case JSONValue::Kind::boolean: return Json(value.boolean());
    case JSONValue::Kind::object: return encode(value.object());
    case JSONValue::Kind::array: {
        Json array = Json::array();
        for (const auto& element : value.array()) array.push_back(encode(element));
        return array;
    }
    case JSONValue::Kind::null: return Json(nullptr);
    }
    return Json(nullptr);
}

Json encode(const JSONObject& object) {
    Json result = Json::object();
    for (const auto& [key, member] : object) result[key] = encode(member);
    return result;
}

Json encode(const Schema& schema) {
    Json result = Json::object();
    result["type"] = std::string(rawValue(schema.type));
    if (schema.format) result["format"] = *schema.format;
    if (schema.description) result["description"] = *schema.description;
    if (schema.nullable) result["nullable"] = *schema.nullable;
    if (schema.enumValues) result["enum"] = encodeStrings(*schema.enumValues);
    if (schema.items) result["items"] = encode(*schema.items);
    if (schema.properties) {
        Json properties = Json::object();
        for (const auto& [name, member] : *schema.properties) {
            properties[name] = member ? encode(*member) : Json(nullptr);
        }
        result["properties"] = std::move(properties);
    }
    if (schema.requiredProperties) result["required"] = encodeStrings(*schema.requiredProperties);
    return result;
}

Json encode(const FunctionDeclaration& declaration) {
    Json result = Json::object();
    result["name"] = declaration.name;
    result["description"] = declaration.description;
    result["parameters"] = declaration.parameters ? encode(*declaration.parameters) : Json(nullptr);
    return result;
}

Json encode(const Tool& tool) {
    Json result = Json::object();
    if (tool.functionDeclarations) result["function_declarations"] = encodeList(*tool.functionDeclarations);
    if (tool.codeExecution) result["code_execution"] = Json::object();
    return result;
}

Json encode(const FunctionCallingConfig& config) {
    Json result = Json::object();
    if (config.mode) result["mode"] = std::string(rawValue(*config.mode));
    if (config.allowedFunctionNames) result["allowed_function_names"] = encodeStrings(*config.allowedFunctionNames);
    return result;
}

Json encode(const ToolConfig& config) {
    Json result = Json::object();
    if (config.functionCallingConfig) result["function_calling_config"] = encode(*config.functionCallingConfig);
    return result;
}

Json encode(const FunctionCall& call) {
    Json result = Json::object();
    result["name"] = call.name;
    result["args"] = encode(call.args);
    return result;
}

Json encode(const FunctionResponse& response) {
    Json result = Json::object();
    result["name"] = response.name;
    result["response"] = encode(response.response);
    return result;
}

Json encode(const ExecutableCode& code) {
    Json result = Json::object();
    result["language"] = code.language;
    result["code"] = code.code;
    return result;
}

Json encode(const CodeExecutionResult& result) {
    Json json = Json::object();
    json["outcome"] = std::string(rawValue(result.outcome));
    json["output"] = result.output;
    return json;
}

Json encode(const ModelContent::Part& part) {
    using Part = ModelContent::Part;
    Json result = Json::object();
    switch (part.kind()) {
    case Part::Kind::text: result["text"] = *part.textValue(); break;
    case Part::Kind::data: {
        const auto& data = *part.as<Part::InlineData>();
        Json inner = Json::object();
        inner["mime_type"] = data.mimetype;
        inner["data"] = glimmo::base64Encode(std::span<const std::uint8_t>(data.bytes));
        result["inline_data"] = std::move(inner);
        break;
    }
    case Part::Kind::fileData: {
        const auto& file = *part.as<Part::FileData>();
        Json inner = Json::object();
        inner["mime_type"] = file.mimetype;
        inner["file_uri"] = file.uri;
        result["file_data"] = std::move(inner);
        break;
    }
    case Part::Kind::functionCall: result["function_call"] = encode(*part.as<FunctionCall>()); break;
    case Part::Kind::functionResponse: result["function_response"] = encode(*part.as<FunctionResponse>()); break;
    case Part::Kind::executableCode: result["executable_code"] = encode(*part.as<ExecutableCode>()); break;
    case Part::Kind::codeExecutionResult:
        result["code_execution_result"] = encode(*part.as<CodeExecutionResult>());
        break;
    }
    return result;
}

Json encode(const ModelContent& content) {
    Json result = Json::object();
    if (content.role) result["role"] = *content.role;
    result["parts"] = encodeList(content.parts);
    return result;
}

Json encode(const SafetySetting& setting) {
    Json result = Json::object();
    result["category"] = std::string(rawValue(setting.harmCategory));
    result["threshold"] = std::string(rawValue(setting.threshold));
    return result;
}

Json encode(const GenerationConfig& config) {
    Json result = Json::object();
    if (config.temperature) result["temperature"] = encodeFloat(*config.temperature);
    if (config.topP) result["top_p"] = encodeFloat(*config.topP);
    if (config.topK) result["top_k"] = *config.topK;
    if (config.candidateCount) result["candidate_count"] = *config.candidateCount;
    if (config.maxOutputTokens) result["max_output_tokens"] = *config.maxOutputTokens;
    if (config.stopSequences) result["stop_sequences"] = encodeStrings(*config.stopSequences);
    if (config.responseMIMEType) result["response_mime_type"] = *config.responseMIMEType;
    if (config.responseSchema) result["response_schema"] = encode(*config.responseSchema);
    return result;
}

Json encode(const GenerateContentRequest& request) {
    Json result = Json::object();
    result["model"] = request.model;
    result["contents"] = encodeList(request.contents);
    if (request.generationConfig) result["generation_config"] = encode(*request.generationConfig);
    if (request.safetySettings) result["safety_settings"] = encodeList(*request.safetySettings);
    if (request.tools) result["tools"] = encodeList(*request.tools);
    if (request.toolConfig) result["tool_config"] = encode(*request.toolConfig);
    if (request.systemInstruction) result["system_instruction"] = encode(*request.systemInstruction);
    return result;
}

} // namespace genai::coding
