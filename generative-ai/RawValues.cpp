#include "generative-ai/FunctionCalling.h"
#include "generative-ai/GenerateContentResponse.h"
#include "generative-ai/RPCError.h"
#include "generative-ai/Safety.h"

#include <array>

namespace genai {

namespace {

// Wire texts in the order of each enumeration's cases.
constexpr std::array<std::string_view, 6> dataTypes{"STRING", "NUMBER", "INTEGER", "BOOLEAN", "ARRAY", "OBJECT"};
constexpr std::array<std::string_view, 3> callingModes{"AUTO", "ANY", "NONE"};
constexpr std::array<std::string_view, 5> outcomes{"OUTCOME_UNKNOWN", "OUTCOME_UNSPECIFIED", "OUTCOME_OK",
                                                   "OUTCOME_FAILED", "OUTCOME_DEADLINE_EXCEEDED"};
constexpr std::array<std::string_view, 6> harmCategories{
    "HARM_CATEGORY_UNKNOWN",    "HARM_CATEGORY_UNSPECIFIED",       "HARM_CATEGORY_HARASSMENT",
    "HARM_CATEGORY_HATE_SPEECH", "HARM_CATEGORY_SEXUALLY_EXPLICIT", "HARM_CATEGORY_DANGEROUS_CONTENT"};
constexpr std::array<std::string_view, 6> blockThresholds{"UNKNOWN",           "HARM_BLOCK_THRESHOLD_UNSPECIFIED",
                                                          "BLOCK_LOW_AND_ABOVE", "BLOCK_MEDIUM_AND_ABOVE",
                                                          "BLOCK_ONLY_HIGH",   "BLOCK_NONE"};
constexpr std::array<std::string_view, 6> harmProbabilities{"UNKNOWN", "HARM_PROBABILITY_UNSPECIFIED", "NEGLIGIBLE",
                                                            "LOW",     "MEDIUM",                       "HIGH"};
constexpr std::array<std::string_view, 17> rpcStatuses{
    "OK",        "CANCELLED",          "UNKNOWN",   "INVALID_ARGUMENT",   "DEADLINE_EXCEEDED", "NOT_FOUND",
    "ALREADY_EXISTS", "PERMISSION_DENIED", "UNAUTHENTICATED", "RESOURCE_EXHAUSTED", "FAILED_PRECONDITION",
    "ABORTED",   "OUT_OF_RANGE",       "UNIMPLEMENTED", "INTERNAL",        "UNAVAILABLE",       "DATA_LOSS"};
constexpr std::array<std::string_view, 7> finishReasons{"FINISH_REASON_UNKNOWN", "FINISH_REASON_UNSPECIFIED", "STOP",
                                                        "MAX_TOKENS", "SAFETY", "RECITATION", "OTHER"};
constexpr std::array<std::string_view, 4> blockReasons{"UNKNOWN", "BLOCK_REASON_UNSPECIFIED", "SAFETY", "OTHER"};

template <class Enum, std::size_t N>
std::string_view lookUp(const std::array<std::string_view, N>& table, Enum value) {
    return table.at(static_cast<std::size_t>(value));
}

template <class Enum, std::size_t N>
std::optional<Enum> find(const std::array<std::string_view, N>& table, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i] == text) return static_cast<Enum>(i);
    }
    return std::nullopt;
}

} // namespace

std::string_view rawValue(DataType type) { return lookUp(dataTypes, type); }
std::string_view rawValue(FunctionCallingConfig::Mode mode) { return lookUp(callingModes, mode); }
std::string_view rawValue(CodeExecutionResult::Outcome outcome) { return lookUp(outcomes, outcome); }
std::string_view rawValue(SafetySetting::HarmCategory category) { return lookUp(harmCategories, category); }
std::string_view rawValue(SafetySetting::BlockThreshold threshold) { return lookUp(blockThresholds, threshold); }
std::string_view rawValue(SafetyRating::HarmProbability probability) { return lookUp(harmProbabilities, probability); }
std::string_view rawValue(RPCStatus status) { return lookUp(rpcStatuses, status); }
std::string_view rawValue(FinishReason reason) { return lookUp(finishReasons, reason); }
std::string_view rawValue(PromptFeedback::BlockReason reason) { return lookUp(blockReasons, reason); }

template <> std::optional<DataType> fromRawValue<DataType>(std::string_view text) { return find<DataType>(dataTypes, text); }
template <> std::optional<FunctionCallingConfig::Mode> fromRawValue<FunctionCallingConfig::Mode>(std::string_view text) {
    return find<FunctionCallingConfig::Mode>(callingModes, text);
}
template <> std::optional<CodeExecutionResult::Outcome> fromRawValue<CodeExecutionResult::Outcome>(std::string_view text) {
    return find<CodeExecutionResult::Outcome>(outcomes, text);
}
template <> std::optional<SafetySetting::HarmCategory> fromRawValue<SafetySetting::HarmCategory>(std::string_view text) {
    return find<SafetySetting::HarmCategory>(harmCategories, text);
}
template <> std::optional<SafetySetting::BlockThreshold> fromRawValue<SafetySetting::BlockThreshold>(std::string_view text) {
    return find<SafetySetting::BlockThreshold>(blockThresholds, text);
}
template <> std::optional<SafetyRating::HarmProbability> fromRawValue<SafetyRating::HarmProbability>(std::string_view text) {
    return find<SafetyRating::HarmProbability>(harmProbabilities, text);
}
template <> std::optional<RPCStatus> fromRawValue<RPCStatus>(std::string_view text) { return find<RPCStatus>(rpcStatuses, text); }
template <> std::optional<FinishReason> fromRawValue<FinishReason>(std::string_view text) {
    return find<FinishReason>(finishReasons, text);
}
template <> std::optional<PromptFeedback::BlockReason> fromRawValue<PromptFeedback::BlockReason>(std::string_view text) {
    return find<PromptFeedback::BlockReason>(blockReasons, text);
}

} // namespace genai
