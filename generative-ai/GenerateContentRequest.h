#pragma once

#include "generative-ai/GenerateContentResponse.h"
#include "generative-ai/GenerationConfig.h"
#include "generative-ai/ModelContent.h"
#include "generative-ai/RequestOptions.h"
#include "generative-ai/Safety.h"

#include <optional>
#include <string>
#include <vector>

namespace genai {

// The body of a generate-content call, which also knows where the call goes.
struct GenerateContentRequest {
    using Response = GenerateContentResponse;

    std::string model;  // the resource name, e.g. "models/gemini-2.0-flash"
    std::vector<ModelContent> contents;
    std::optional<GenerationConfig> generationConfig;
    std::optional<std::vector<SafetySetting>> safetySettings;
    std::optional<std::vector<Tool>> tools;
    std::optional<ToolConfig> toolConfig;
    std::optional<ModelContent> systemInstruction;
    bool isStreaming = false;  // chooses the endpoint; never sent
    RequestOptions options;    // never sent

    // base URL + "/" + API version + "/" + model + ":generateContent" (or
    // ":streamGenerateContent?alt=sse" when streaming). Throws InvalidRequestURLError when the
    // text is not a valid URL.
    std::string url() const;
    // The JSON body, keys in snake case.
    std::string encodeBody() const;
};

// The token count of what a generate-content request would send.
struct CountTokensResponse {
    std::int64_t totalTokens = 0;

    static CountTokensResponse decode(std::string_view body);
    bool operator==(const CountTokensResponse&) const = default;
};

struct CountTokensRequest {
    using Response = CountTokensResponse;

    std::string model;
    GenerateContentRequest generateContentRequest;
    RequestOptions options;

    // base URL + "/" + API version + "/" + model + ":countTokens".
    std::string url() const;
    // {"generate_content_request": {...}}
    std::string encodeBody() const;
};

} // namespace genai
