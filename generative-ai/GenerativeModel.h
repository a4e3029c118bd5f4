#pragma once

#include "generative-ai/GenerateContentError.h"
#include "generative-ai/GenerateContentRequest.h"
#include "generative-ai/GenerativeAIService.h"
#include "generative-ai/PartsRepresentable.h"

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace genai {

class Chat;

// Produces the turns of a request when the operation runs; may throw.
using ContentsProducer = std::function<std::vector<ModelContent>()>;

template <class... Items>
concept PromptParts = sizeof...(Items) > 0 && (std::convertible_to<Items, ThrowingPartsRepresentable> && ...);

// One model of the Gemini REST API, configured once and then asked for content. Copies share the
// same immutable settings, so a model may be used from several tasks at once.
//
// Failures of the generate operations are GenerateContentError; of counting, CountTokensError.
// Streamed replies are produced by a task on the main run loop (glimmo::RunLoop::main()).
class GenerativeModel {
public:
    GenerativeModel(std::string name, std::string apiKey,
                    std::optional<GenerationConfig> generationConfig = std::nullopt,
                    std::optional<std::vector<SafetySetting>> safetySettings = std::nullopt,
                    std::optional<std::vector<Tool>> tools = std::nullopt,
                    std::optional<ToolConfig> toolConfig = std::nullopt,
                    std::optional<ModelContent> systemInstruction = std::nullopt,
                    RequestOptions requestOptions = {});

    // The system instruction as texts: one "system" turn with one text part per string (an empty
    // list still gives the turn, with no parts).
    GenerativeModel(std::string name, std::string apiKey, std::optional<GenerationConfig> generationConfig,
                    std::optional<std::vector<SafetySetting>> safetySettings, std::optional<std::vector<Tool>> tools,
                    std::optional<ToolConfig> toolConfig, std::vector<std::string> systemInstruction,
                    RequestOptions requestOptions = {});

    // Sends through `session` instead of the shared HTTP client; it must outlive the model and
    // every request and stream of it.
    GenerativeModel(std::string name, std::string apiKey, std::optional<GenerationConfig> generationConfig,
                    std::optional<std::vector<SafetySetting>> safetySettings, std::optional<std::vector<Tool>> tools,
                    std::optional<ToolConfig> toolConfig, std::optional<ModelContent> systemInstruction,
                    RequestOptions requestOptions, glimmo::HttpClient& session);

    // Parts form: the arguments become one "user" turn.
    template <class... Items>
        requires PromptParts<Items...>
    glimmo::Task<GenerateContentResponse> generateContent(Items&&... parts) const {
        return generateContent(userTurn({ThrowingPartsRepresentable(std::forward<Items>(parts))...}));
    }
    // Contents form: the producer runs inside the call; what it throws is an error of the call.
    glimmo::Task<GenerateContentResponse> generateContent(ContentsProducer contents) const;

    template <class... Items>
        requires PromptParts<Items...>
    glimmo::AsyncThrowingStream<GenerateContentResponse> generateContentStream(Items&&... parts) const {
        return generateContentStream(userTurn({ThrowingPartsRepresentable(std::forward<Items>(parts))...}));
    }
    glimmo::AsyncThrowingStream<GenerateContentResponse> generateContentStream(ContentsProducer contents) const;

    template <class... Items>
        requires PromptParts<Items...>
    glimmo::Task<CountTokensResponse> countTokens(Items&&... parts) const {
        return countTokens(userTurn({ThrowingPartsRepresentable(std::forward<Items>(parts))...}));
    }
    glimmo::Task<CountTokensResponse> countTokens(ContentsProducer contents) const;

    Chat startChat(std::vector<ModelContent> history = {}) const;

    // The GenerateContentError that the generate operations throw for `error`.
    static GenerateContentError generateContentError(std::exception_ptr error);

    const std::string& modelResourceName() const { return state_->modelResourceName; }
    const GenerativeAIService& generativeAIService() const { return state_->generativeAIService; }
    const std::optional<GenerationConfig>& generationConfig() const { return state_->generationConfig; }
    const std::optional<std::vector<SafetySetting>>& safetySettings() const { return state_->safetySettings; }
    const std::optional<std::vector<Tool>>& tools() const { return state_->tools; }
    const std::optional<ToolConfig>& toolConfig() const { return state_->toolConfig; }
    const std::optional<ModelContent>& systemInstruction() const { return state_->systemInstruction; }
    const RequestOptions& requestOptions() const { return state_->requestOptions; }

    // The shared settings; running requests and streams keep their own reference to them.
    struct State {
        std::string modelResourceName;
        GenerativeAIService generativeAIService;
        std::optional<GenerationConfig> generationConfig;
        std::optional<std::vector<SafetySetting>> safetySettings;
        std::optional<std::vector<Tool>> tools;
        std::optional<ToolConfig> toolConfig;
        std::optional<ModelContent> systemInstruction;
        RequestOptions requestOptions;
    };

private:
    static ContentsProducer userTurn(std::vector<ThrowingPartsRepresentable> parts);

    std::shared_ptr<const State> state_;
};

} // namespace genai
