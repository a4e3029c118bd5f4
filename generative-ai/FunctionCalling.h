#pragma once

#include "generative-ai/JSONValue.h"
#include "generative-ai/RawValue.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace genai {

enum class DataType { string, number, integer, boolean, array, object };
std::string_view rawValue(DataType type);

// The shape of a value: function parameters and structured output. Schemas nest (array items,
// object members) and are shared by reference; nothing changes them after construction.
class Schema {
public:
    using Pointer = std::shared_ptr<const Schema>;

    explicit Schema(DataType type,
                    std::optional<std::string> format = std::nullopt,
                    std::optional<std::string> description = std::nullopt,
                    std::optional<bool> nullable = std::nullopt,
                    std::optional<std::vector<std::string>> enumValues = std::nullopt,
                    Pointer items = nullptr,
                    std::optional<std::map<std::string, Pointer>> properties = std::nullopt,
                    std::optional<std::vector<std::string>> requiredProperties = std::nullopt);

    // Convenience for building shared schemas in place.
    template <class... Args>
    static Pointer make(Args&&... args) {
        return std::make_shared<const Schema>(std::forward<Args>(args)...);
    }

    DataType type;
    std::optional<std::string> format;
    std::optional<std::string> description;
    std::optional<bool> nullable;
    std::optional<std::vector<std::string>> enumValues;
    Pointer items;
    // Member names are the caller's own and go out exactly as given.
    std::optional<std::map<std::string, Pointer>> properties;
    std::optional<std::vector<std::string>> requiredProperties;
};

struct FunctionDeclaration {
    // The parameters schema is always an object whose members are `parameters`.
    FunctionDeclaration(std::string name, std::string description,
                        std::optional<std::map<std::string, Schema::Pointer>> parameters = std::nullopt,
                        std::optional<std::vector<std::string>> requiredParameters = std::nullopt);

    std::string name;
    std::string description;
    Schema::Pointer parameters;
};

// Enables the model's own code execution; has no settings.
struct CodeExecution {};

struct Tool {
    std::optional<std::vector<FunctionDeclaration>> functionDeclarations;
    std::optional<CodeExecution> codeExecution;
};

struct FunctionCallingConfig {
    enum class Mode { automatic, any, none };  // "AUTO", "ANY", "NONE"

    std::optional<Mode> mode;
    std::optional<std::vector<std::string>> allowedFunctionNames;
};
std::string_view rawValue(FunctionCallingConfig::Mode mode);

struct ToolConfig {
    std::optional<FunctionCallingConfig> functionCallingConfig;
};

// A call that the model asks the caller to perform.
struct FunctionCall {
    std::string name;
    JSONObject args;

    bool operator==(const FunctionCall&) const = default;
};

// The caller's result of a function call.
struct FunctionResponse {
    std::string name;
    JSONObject response;

    bool operator==(const FunctionResponse&) const = default;
};

// Code that the model generated for execution.
struct ExecutableCode {
    std::string language;
    std::string code;

    bool operator==(const ExecutableCode&) const = default;
};

struct CodeExecutionResult {
    enum class Outcome { unknown, unspecified, ok, failed, deadlineExceeded };

    Outcome outcome = Outcome::unspecified;
    std::string output;

    bool operator==(const CodeExecutionResult&) const = default;
};
std::string_view rawValue(CodeExecutionResult::Outcome outcome);

template <> std::optional<DataType> fromRawValue<DataType>(std::string_view text);
template <> std::optional<FunctionCallingConfig::Mode> fromRawValue<FunctionCallingConfig::Mode>(std::string_view text);
template <> std::optional<CodeExecutionResult::Outcome> fromRawValue<CodeExecutionResult::Outcome>(std::string_view text);

} // namespace genai
