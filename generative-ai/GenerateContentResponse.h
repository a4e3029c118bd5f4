#pragma once

#include "generative-ai/FunctionCalling.h"
#include "generative-ai/ModelContent.h"
#include "generative-ai/Safety.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace genai {

// Why the model stopped a candidate.
enum class FinishReason { unknown, unspecified, stop, maxTokens, safety, recitation, other };
std::string_view rawValue(FinishReason reason);

struct Citation {
    std::int64_t startIndex = 0;
    std::int64_t endIndex = 0;
    std::string uri;
    std::optional<std::string> license;  // absent also when the service sends ""

    bool operator==(const Citation&) const = default;
};

struct CitationMetadata {
    std::vector<Citation> citationSources;

    bool operator==(const CitationMetadata&) const = default;
};

// One answer of the model.
struct CandidateResponse {
    ModelContent content{"user", {}};
    std::vector<SafetyRating> safetyRatings;
    std::optional<FinishReason> finishReason;
    std::optional<CitationMetadata> citationMetadata;

    bool operator==(const CandidateResponse&) const = default;
};

// Feedback on the prompt; a block reason means the prompt was refused.
struct PromptFeedback {
    enum class BlockReason { unknown, unspecified, safety, other };

    std::optional<BlockReason> blockReason;
    std::vector<SafetyRating> safetyRatings;

    bool operator==(const PromptFeedback&) const = default;
};
std::string_view rawValue(PromptFeedback::BlockReason reason);

// One reply of a generate-content call, or one chunk of a streamed reply.
struct GenerateContentResponse {
    struct UsageMetadata {
        std::int64_t promptTokenCount = 0;
        std::int64_t candidatesTokenCount = 0;
        std::int64_t totalTokenCount = 0;

        bool operator==(const UsageMetadata&) const = default;
    };

    std::vector<CandidateResponse> candidates;
    std::optional<PromptFeedback> promptFeedback;
    std::optional<UsageMetadata> usageMetadata;

    // Reads a reply body. Throws DecodingError or InvalidCandidateError.
    static GenerateContentResponse decode(std::string_view body);

    // The first candidate's text-bearing parts joined with "\n" (code and its results in fences);
    // nullopt, with an error log line, when there is no candidate or no such part.
    std::optional<std::string> text() const;
    // The first candidate's function calls, in part order.
    std::vector<FunctionCall> functionCalls() const;

    bool operator==(const GenerateContentResponse&) const = default;
};

template <> std::optional<FinishReason> fromRawValue<FinishReason>(std::string_view text);
template <> std::optional<PromptFeedback::BlockReason> fromRawValue<PromptFeedback::BlockReason>(std::string_view text);

} // namespace genai
