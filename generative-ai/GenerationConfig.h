#pragma once

#include "generative-ai/FunctionCalling.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace genai {

// Sampling and output controls sent with every request of a model. Absent values are left out of
// the request; no range is checked here (the service judges the values).
struct GenerationConfig {
    std::optional<float> temperature;
    std::optional<float> topP;
    std::optional<std::int64_t> topK;
    std::optional<std::int64_t> candidateCount;
    std::optional<std::int64_t> maxOutputTokens;
    std::optional<std::vector<std::string>> stopSequences;
    std::optional<std::string> responseMIMEType;
    Schema::Pointer responseSchema;
};

} // namespace genai
