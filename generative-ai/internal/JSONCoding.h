#pragma once

// JSON coding of the client's types. Included by the library's .cpp files only: it brings in the
// whole of nlohmann/json.

#include "generative-ai/DecodingError.h"
#include "generative-ai/GenerateContentRequest.h"
#include "generative-ai/JSONValue.h"
#include "generative-ai/RPCError.h"

#include <nlohmann/json.hpp>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace genai::coding {

using Json = nlohmann::ordered_json;

// Encoding, for request bodies. The fixed field names go out in snake case; keys that carry the
// caller's data (JSON values, schema members, function arguments) go out exactly as given.
Json encode(const JSONValue& value);
Json encode(const JSONObject& object);
Json encode(const Schema& schema);
Json encode(const FunctionDeclaration& declaration);
Json encode(const Tool& tool);
Json encode(const FunctionCallingConfig& config);
Json encode(const ToolConfig& config);
Json encode(const FunctionCall& call);
Json encode(const FunctionResponse& response);
Json encode(const ExecutableCode& code);
Json encode(const CodeExecutionResult& result);
Json encode(const ModelContent::Part& part);
Json encode(const ModelContent& content);
Json encode(const SafetySetting& setting);
Json encode(const GenerationConfig& config);
Json encode(const GenerateContentRequest& request);

// Replies are read into plain nlohmann::json: member order does not matter when reading.
using DecodedJson = nlohmann::json;

// A position in a document being decoded: the document and a value in it. Copying one costs two
// pointers; the path to the value is worked out only when an error names it.
class Reader {
public:
    // The top of a document.
    explicit Reader(const DecodedJson& document) : document_(&document), value_(&document) {}

    const DecodedJson& json() const { return *value_; }
    // The keys (and "[index]" entries) from the top of the document to this value.
    std::vector<std::string> path() const;
    // The reader of `value`, which lies inside this reader's document.
    Reader child(const DecodedJson& value) const { return Reader(*document_, value); }
    bool isNull() const { return value_->is_null(); }

    // The object's member; throws keyNotFound when missing.
    Reader member(std::string_view key) const;
    // The member, or nullopt when it is missing or null.
    std::optional<Reader> optionalMember(std::string_view key) const;
    bool contains(std::string_view key) const;

    // The string in the document.
    const std::string& string() const;
    std::int64_t int64() const;
    double number() const;
    bool boolean() const;
    std::vector<Reader> elements() const;
    void requireObject() const;

    [[noreturn]] void fail(DecodingError::Kind kind, std::string description) const;

private:
    Reader(const DecodedJson& document, const DecodedJson& value) : document_(&document), value_(&value) {}

    const DecodedJson* document_;
    const DecodedJson* value_;
};

// Parses a reply; text that is no JSON, holds numbers no double holds or nests too deep fails as
// dataCorrupted at the top level.
DecodedJson parse(std::string_view text);

JSONValue decodeJSONValue(const Reader& reader);
FunctionCall decodeFunctionCall(const Reader& reader);
ExecutableCode decodeExecutableCode(const Reader& reader);
CodeExecutionResult decodeCodeExecutionResult(const Reader& reader);
ModelContent::Part decodePart(const Reader& reader);
ModelContent decodeModelContent(const Reader& reader);
SafetyRating decodeSafetyRating(const Reader& reader);
SafetySetting decodeSafetySetting(const Reader& reader);
SafetyFeedback decodeSafetyFeedback(const Reader& reader);
GenerateContentResponse decodeGenerateContentResponse(const Reader& reader);
CountTokensResponse decodeCountTokensResponse(const Reader& reader);

} // namespace genai::coding
