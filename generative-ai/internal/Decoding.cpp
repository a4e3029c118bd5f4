#include "generative-ai/internal/JSONCoding.h"

#include "generative-ai/Logging.h"
#include "platform/foundation/Json.h"

#include <cmath>
#include <limits>

namespace genai::coding {

namespace {

const char* typeName(const DecodedJson& value) { return value.type_name(); }

// Depth-first search for the address of `target` below `node`, appending the keys on the way.
// Decoding errors alone pay for it; the parser has bounded the depth.
bool findPath(const DecodedJson& node, const DecodedJson* target, std::vector<std::string>& keys) {
    if (&node == target) return true;
    if (node.is_object()) {
        for (auto it = node.begin(); it != node.end(); ++it) {
            keys.push_back(it.key());
            if (findPath(it.value(), target, keys)) return true;
            keys.pop_back();
        }
    } else if (node.is_array()) {
        for (std::size_t index = 0; index < node.size(); ++index) {
            keys.push_back("[" + std::to_string(index) + "]");
            if (findPath(node[index], target, keys)) return true;
            keys.pop_back();
        }
    }
    return false;
}

// The shared rule of the client's string enumerations: an unlisted value is logged once and read
// as `unknown`; anything but a string fails.
template <class Enum>
Enum decodeEnumeration(const Reader& reader, const char* name) {
    const auto& text = reader.string();
    if (const auto value = fromRawValue<Enum>(text)) return *value;
    Logging::defaultLogger().error(std::string("[GenerativeAI] Unrecognized ") + name + " with value \"" +
                                   glimmo::logExcerpt(text) + "\".");
    return Enum::unknown;
}

template <class T, class Decode>
std::vector<T> decodeList(const Reader& reader, Decode decode) {
    const auto elements = reader.elements();
    std::vector<T> result;
    result.reserve(elements.size());
    for (const auto& element : elements) result.push_back(decode(element));
    return result;
}

std::vector<SafetyRating> decodeRatings(const Reader& object) {
    if (const auto ratings = object.optionalMember("safetyRatings")) {
        return decodeList<SafetyRating>(*ratings, decodeSafetyRating);
    }
    return {};
}

Citation decodeCitation(const Reader& reader) {
    reader.requireObject();
    Citation citation;
    if (const auto start = reader.optionalMember("startIndex")) citation.startIndex = start->int64();
    citation.endIndex = reader.member("endIndex").int64();
    citation.uri = reader.member("uri").string();
    if (const auto license = reader.optionalMember("license")) {
        auto text = license->string();
        if (!text.empty()) citation.license = std::move(text);
    }
    return citation;
}

CitationMetadata decodeCitationMetadata(const Reader& reader) {
    reader.requireObject();
    return CitationMetadata{decodeList<Citation>(reader.member("citationSources"), decodeCitation)};
}

PromptFeedback decodePromptFeedback(const Reader& reader) {
    reader.requireObject();
    PromptFeedback feedback;
    if (const auto reason = reader.optionalMember("blockReason")) {
        feedback.blockReason = decodeEnumeration<PromptFeedback::BlockReason>(*reason, "BlockReason");
    }
    feedback.safetyRatings = decodeRatings(reader);
    return feedback;
}

GenerateContentResponse::UsageMetadata decodeUsageMetadata(const Reader& reader) {
    reader.requireObject();
    GenerateContentResponse::UsageMetadata usage;
    if (const auto value = reader.optionalMember("promptTokenCount")) usage.promptTokenCount = value->int64();
    if (const auto value = reader.optionalMember("candidatesTokenCount")) usage.candidatesTokenCount = value->int64();
    if (const auto value = reader.optionalMember("totalTokenCount")) usage.totalTokenCount = value->int64();
    return usage;
}

CandidateResponse decodeCandidate(const Reader& reader) {
    reader.requireObject();
    CandidateResponse candidate;
    if (const auto content = reader.optionalMember("content")) {
        try {
            candidate.content = decodeModelContent(*content);
        } catch (const std::exception&) {
            const auto underlying = std::current_exception();
            // An empty object is the service's way of sending no content at all.
            const bool isEmptyObject = content->json().is_object() && content->json().empty();
            throw InvalidCandidateError(isEmptyObject ? InvalidCandidateError::Kind::emptyContent
                                                      : InvalidCandidateError::Kind::malformedContent,
                                        underlying);
        }
    }
    candidate.safetyRatings = decodeRatings(reader);
    if (const auto reason = reader.optionalMember("finishReason")) {
        candidate.finishReason = decodeEnumeration<FinishReason>(*reason, "FinishReason");
    }
    if (const auto citations = reader.optionalMember("citationMetadata")) {
        candidate.citationMetadata = decodeCitationMetadata(*citations);
    }
    return candidate;
}

} // namespace

std::vector<std::string> Reader::path() const {
    std::vector<std::string> keys;
    findPath(*document_, value_, keys);
    return keys;
}

Reader Reader::member(std::string_view key) const {
    requireObject();
    const auto found = value_->find(key);
    if (found == value_->end()) {
        fail(DecodingError::Kind::keyNotFound, "No value associated with key \"" + std::string(key) + "\".");
    }
    return child(*found);
}

std::optional<Reader> Reader::optionalMember(std::string_view key) const {
    requireObject();
    const auto found = value_->find(key);
    if (found == value_->end() || found->is_null()) return std::nullopt;
    return child(*found);
}

bool Reader::contains(std::string_view key) const {
    return value_->is_object() && value_->find(key) != value_->end();
}

const std::string& Reader::string() const {
    if (!value_->is_string()) {
        fail(DecodingError::Kind::typeMismatch, std::string("Expected a string but found ") + typeName(*value_) + ".");
    }
    return value_->get_ref<const std::string&>();
}

std::int64_t Reader::int64() const {
    if (value_->is_number_integer()) {
        if (value_->is_number_unsigned() &&
            value_->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            fail(DecodingError::Kind::dataCorrupted, "The number does not fit a 64-bit integer.");
        }
        return value_->get<std::int64_t>();
    }
    if (value_->is_number_float()) {
        // A whole number written with a fraction (3.0) is still that integer.
        const double number = value_->get<double>();
        if (std::trunc(number) == number && std::fabs(number) < 9.2e18) return static_cast<std::int64_t>(number);
        fail(DecodingError::Kind::dataCorrupted, "The number is not a whole number.");
    }
    fail(DecodingError::Kind::typeMismatch, std::string("Expected an integer but found ") + typeName(*value_) + ".");
}

double Reader::number() const {
    if (!value_->is_number()) {
        fail(DecodingError::Kind::typeMismatch, std::string("Expected a number but found ") + typeName(*value_) + ".");
    }
    return value_->get<double>();
}

bool Reader::boolean() const {
    if (!value_->is_boolean()) {
        fail(DecodingError::Kind::typeMismatch, std::string("Expected a boolean but found ") + typeName(*value_) + ".");
    }
    return value_->get<bool>();
}

std::vector<Reader> Reader::elements() const {
    if (!value_->is_array()) {
        fail(DecodingError::Kind::typeMismatch, std::string("Expected an array but found ") + typeName(*value_) + ".");
    }
    std::vector<Reader> result;
    result.reserve(value_->size());
    for (const auto& element : *value_) result.push_back(child(element));
    return result;
}

void Reader::requireObject() const {
    if (!value_->is_object()) {
        fail(DecodingError::Kind::typeMismatch, std::string("Expected an object but found ") + typeName(*value_) + ".");
    }
}

void Reader::fail(DecodingError::Kind kind, std::string description) const {
    throw DecodingError(kind, path(), std::move(description));
}

DecodedJson parse(std::string_view text) {
    try {
        return glimmo::parseJSON(text);
    } catch (const glimmo::JSONDecodingError& error) {
        throw DecodingError(DecodingError::Kind::dataCorrupted, {},
                            "The given data was not valid JSON. " + error.description());
    }
}

JSONValue decodeJSONValue(const Reader& reader) {
    const auto& json = reader.json();
    if (json.is_null()) return JSONValue(nullptr);
    if (json.is_number()) return JSONValue(json.get<double>());
    if (json.is_string()) return JSONValue(json.get<std::string>());
    if (json.is_boolean()) return JSONValue(json.get<bool>());
    if (json.is_object()) {
        JSONObject object;
        for (auto it = json.begin(); it != json.end(); ++it) {
            object[it.key()] = decodeJSONValue(reader.child(it.value()));
        }
        return JSONValue(std::move(object));
    }
    if (json.is_array()) {
        JSONArray array;
        for (const auto& element : reader.elements()) array.push_back(decodeJSONValue(element));
        return JSONValue(std::move(array));
    }
    reader.fail(DecodingError::Kind::dataCorrupted, "Failed to decode JSON value.");
}

namespace {
JSONObject decodeJSONObject(const Reader& reader) {
    reader.requireObject();
    return decodeJSONValue(reader).object();
}
} // namespace

FunctionCall decodeFunctionCall(const Reader& reader) {
    FunctionCall call;
    call.name = reader.member("name").string();
    if (const auto args = reader.optionalMember("args")) call.args = decodeJSONObject(*args);
    return call;
}

ExecutableCode decodeExecutableCode(const Reader& reader) {
    return ExecutableCode{reader.member("language").string(), reader.member("code").string()};
}

CodeExecutionResult decodeCodeExecutionResult(const Reader& reader) {
    CodeExecutionResult result;
    result.outcome = decodeEnumeration<CodeExecutionResult::Outcome>(reader.member("outcome"), "Outcome");
    if (const auto output = reader.optionalMember("output")) result.output = output->string();
    return result;
}

ModelContent::Part decodePart(const Reader& reader) {
    using Part = ModelContent::Part;
    reader.requireObject();
    // The first key present wins, also when its value is null (which then fails as that key's
    // value); "fileData" and "functionResponse" are never sent by the service.
    if (reader.contains("text")) return Part::text(reader.member("text").string());
    if (reader.contains("inlineData")) {
        const auto inlineData = reader.member("inlineData");
        auto mimetype = inlineData.member("mime_type").string();
        const auto encoded = inlineData.member("data");
        auto bytes = glimmo::base64Decode(encoded.string());
        if (!bytes) encoded.fail(DecodingError::Kind::dataCorrupted, "Encountered Data is not valid Base64.");
        return Part::data(std::move(mimetype), std::move(*bytes));
    }
    if (reader.contains("functionCall")) return Part::functionCall(decodeFunctionCall(reader.member("functionCall")));
    if (reader.contains("executableCode")) {
        return Part::executableCode(decodeExecutableCode(reader.member("executableCode")));
    }
    if (reader.contains("codeExecutionResult")) {
        return Part::codeExecutionResult(decodeCodeExecutionResult(reader.member("codeExecutionResult")));
    }
    throw DecodingError(DecodingError::Kind::dataCorrupted, {"text", "inlineData"},
                        "No text, inline data or function call was found.");
}

ModelContent decodeModelContent(const Reader& reader) {
    ModelContent content;
    if (const auto role = reader.optionalMember("role")) content.role = role->string();
    content.parts = decodeList<ModelContent::Part>(reader.member("parts"), decodePart);
    return content;
}

SafetyRating decodeSafetyRating(const Reader& reader) {
    SafetyRating rating;
    rating.category = decodeEnumeration<SafetySetting::HarmCategory>(reader.member("category"), "HarmCategory");
    rating.probability =
        decodeEnumeration<SafetyRating::HarmProbability>(reader.member("probability"), "HarmProbability");
    return rating;
}

SafetySetting decodeSafetySetting(const Reader& reader) {
    SafetySetting setting;
    setting.harmCategory = decodeEnumeration<SafetySetting::HarmCategory>(reader.member("category"), "HarmCategory");
    setting.threshold = decodeEnumeration<SafetySetting::BlockThreshold>(reader.member("threshold"), "BlockThreshold");
    return setting;
}

SafetyFeedback decodeSafetyFeedback(const Reader& reader) {
    return SafetyFeedback{decodeSafetyRating(reader.member("rating")), decodeSafetySetting(reader.member("setting"))};
}

GenerateContentResponse decodeGenerateContentResponse(const Reader& reader) {
    reader.requireObject();
    if (!reader.contains("candidates") && !reader.contains("promptFeedback")) {
        throw DecodingError(DecodingError::Kind::dataCorrupted, {},
                            "Failed to decode GenerateContentResponse; missing keys 'candidates' and "
                            "'promptFeedback'.");
    }
    GenerateContentResponse response;
    if (const auto candidates = reader.optionalMember("candidates")) {
        response.candidates = decodeList<CandidateResponse>(*candidates, decodeCandidate);
    }
    if (const auto feedback = reader.optionalMember("promptFeedback")) {
        response.promptFeedback = decodePromptFeedback(*feedback);
    }
    if (const auto usage = reader.optionalMember("usageMetadata")) response.usageMetadata = decodeUsageMetadata(*usage);
    return response;
}

CountTokensResponse decodeCountTokensResponse(const Reader& reader) {
    return CountTokensResponse{reader.member("totalTokens").int64()};
}

} // namespace genai::coding

namespace genai {

GenerateContentResponse GenerateContentResponse::decode(std::string_view body) {
    const auto json = coding::parse(body);
    return coding::decodeGenerateContentResponse(coding::Reader(json));
}

CountTokensResponse CountTokensResponse::decode(std::string_view body) {
    const auto json = coding::parse(body);
    return coding::decodeCountTokensResponse(coding::Reader(json));
}

RPCError RPCError::decode(std::string_view body) {
    const auto json = coding::parse(body);
    const coding::Reader top(json);
    const auto error = top.member("error");
    error.requireObject();
    int code = -1;
    if (const auto value = error.optionalMember("code")) {
        const auto number = value->int64();
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
            value->fail(DecodingError::Kind::dataCorrupted, "The code does not fit an integer.");
        }
        code = static_cast<int>(number);
    }
    std::string message = "Unknown error.";
    if (const auto value = error.optionalMember("message")) message = value->string();
    // An unreadable status is not worth failing the whole error for.
    RPCStatus status = RPCStatus::unknown;
    if (const auto value = error.optionalMember("status"); value && value->json().is_string()) {
        status = fromRawValue<RPCStatus>(value->json().get_ref<const std::string&>()).value_or(RPCStatus::unknown);
    }
    std::vector<ErrorDetails> details;
    if (error.contains("details")) {
        // Present means a list: null fails like any other wrong type.
        for (const auto& entry : error.member("details").elements()) {
            ErrorDetails detail;
            detail.type = entry.member("@type").string();
            if (const auto reason = entry.optionalMember("reason")) detail.reason = reason->string();
            if (const auto domain = entry.optionalMember("domain")) detail.domain = domain->string();
            details.push_back(std::move(detail));
        }
    }
    return RPCError(code, std::move(message), status, std::move(details));
}

} // namespace genai
