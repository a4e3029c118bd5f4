#include "generative-ai/GenerativeModel.h"

#include "generative-ai/Chat.h"
#include "generative-ai/Logging.h"
#include "generative-ai/RPCError.h"
#include "platform/runtime/RunLoop.h"

namespace genai {

namespace {

using glimmo::Task;
using Stream = glimmo::AsyncThrowingStream<GenerateContentResponse>;
using State = GenerativeModel::State;

std::string resourceName(const std::string& name) {
    return name.find('/') != std::string::npos ? name : "models/" + name;
}

GenerateContentRequest makeRequest(const State& state, std::vector<ModelContent> contents, bool isStreaming) {
    return GenerateContentRequest{state.modelResourceName, std::move(contents), state.generationConfig,
                                  state.safetySettings,    state.tools,         state.toolConfig,
                                  state.systemInstruction, isStreaming,         state.requestOptions};
}

// A failure while building the prompt: image conversion has a case of its own.
GenerateContentError contentsError(std::exception_ptr error, bool applyMapping) {
    try {
        std::rethrow_exception(error);
    } catch (const ImageConversionError& conversion) {
        return GenerateContentError::promptImageContentError(conversion);
    } catch (...) {
    }
    return applyMapping ? GenerativeModel::generateContentError(error) : GenerateContentError::internalError(error);
}

// The two checks every reply and every streamed chunk passes.
void checkReply(const GenerateContentResponse& response) {
    if (response.promptFeedback && response.promptFeedback->blockReason) {
        throw GenerateContentError::promptBlocked(response);
    }
    if (!response.candidates.empty()) {
        const auto& reason = response.candidates.front().finishReason;
        if (reason && *reason != FinishReason::stop) throw GenerateContentError::responseStoppedEarly(*reason, response);
    }
}

Task<GenerateContentResponse> generate(std::shared_ptr<const State> state, ContentsProducer produce) {
    std::vector<ModelContent> contents;
    try {
        contents = produce();
    } catch (...) {
        throw contentsError(std::current_exception(), true);
    }
    GenerateContentResponse response;
    try {
        auto pending = state->generativeAIService.loadRequest(makeRequest(*state, std::move(contents), false));
        response = co_await std::move(pending);
    } catch (...) {
        throw GenerativeModel::generateContentError(std::current_exception());
    }
    checkReply(response);
    co_return response;
}

Task<void> forwardChunks(Stream inner, Stream::Continuation output) {
    try {
        for (;;) {
            auto pending = inner.next();
            auto chunk = co_await std::move(pending);
            if (!chunk) break;
            checkReply(*chunk);
            auto sending = output.send(std::move(*chunk));
            co_await std::move(sending);
        }
        output.finish();
    } catch (...) {
        output.finish(std::make_exception_ptr(GenerativeModel::generateContentError(std::current_exception())));
    }
}

Stream failedStream(std::exception_ptr error) {
    auto [stream, output] = Stream::make();
    output.finish(std::move(error));
    return std::move(stream);
}

Task<CountTokensResponse> count(std::shared_ptr<const State> state, ContentsProducer produce) {
    std::vector<ModelContent> contents;
    try {
        contents = produce();
    } catch (...) {
        throw CountTokensError::internalError(std::current_exception());
    }
    CountTokensRequest request{state->modelResourceName, makeRequest(*state, std::move(contents), false),
                               state->requestOptions};
    try {
        auto pending = state->generativeAIService.loadRequest(std::move(request));
        co_return co_await std::move(pending);
    } catch (...) {
        throw CountTokensError::internalError(std::current_exception());
    }
}

ModelContent instructionTurn(const std::vector<std::string>& texts) {
    ModelContent turn("system", {});
    for (const auto& text : texts) turn.parts.push_back(ModelContent::Part::text(text));
    return turn;
}

} // namespace

GenerativeModel::GenerativeModel(std::string name, std::string apiKey, std::optional<GenerationConfig> generationConfig,
                                 std::optional<std::vector<SafetySetting>> safetySettings,
                                 std::optional<std::vector<Tool>> tools, std::optional<ToolConfig> toolConfig,
                                 std::optional<ModelContent> systemInstruction, RequestOptions requestOptions)
    : GenerativeModel(std::move(name), std::move(apiKey), std::move(generationConfig), std::move(safetySettings),
                      std::move(tools), std::move(toolConfig), std::move(systemInstruction), std::move(requestOptions),
                      glimmo::HttpClient::shared()) {}

GenerativeModel::GenerativeModel(std::string name, std::string apiKey, std::optional<GenerationConfig> generationConfig,
                                 std::optional<std::vector<SafetySetting>> safetySettings,
                                 std::optional<std::vector<Tool>> tools, std::optional<ToolConfig> toolConfig,
                                 std::vector<std::string> systemInstruction, RequestOptions requestOptions)
    : GenerativeModel(std::move(name), std::move(apiKey), std::move(generationConfig), std::move(safetySettings),
                      std::move(tools), std::move(toolConfig), instructionTurn(systemInstruction),
                      std::move(requestOptions), glimmo::HttpClient::shared()) {}

GenerativeModel::GenerativeModel(std::string name, std::string apiKey, std::optional<GenerationConfig> generationConfig,
                                 std::optional<std::vector<SafetySetting>> safetySettings,
                                 std::optional<std::vector<Tool>> tools, std::optional<ToolConfig> toolConfig,
                                 std::optional<ModelContent> systemInstruction, RequestOptions requestOptions,
                                 glimmo::HttpClient& session)
    : state_(std::make_shared<const State>(State{resourceName(name), GenerativeAIService(std::move(apiKey), session),
                                                 std::move(generationConfig), std::move(safetySettings),
                                                 std::move(tools), std::move(toolConfig), std::move(systemInstruction),
                                                 std::move(requestOptions)})) {
    Logging::defaultLogger().info("[GenerativeAI] Model " + name +
                                  " initialized. To enable additional logging, add `" +
                                  Logging::debugLaunchArgument + "` as a launch argument.");
    Logging::verbose().debug("[GenerativeAI] Verbose logging enabled.");
}

Task<GenerateContentResponse> GenerativeModel::generateContent(ContentsProducer contents) const {
    return generate(state_, std::move(contents));
}

Stream GenerativeModel::generateContentStream(ContentsProducer contents) const {
    std::vector<ModelContent> evaluated;
    try {
        evaluated = contents();
    } catch (...) {
        return failedStream(std::make_exception_ptr(contentsError(std::current_exception(), false)));
    }
    try {
        auto& loop = glimmo::RunLoop::main();
        auto inner = state_->generativeAIService.loadRequestStream(makeRequest(*state_, std::move(evaluated), true), loop);
        auto [stream, output] = Stream::make(streamedRepliesAhead);
        const auto handle = glimmo::startTask(loop, forwardChunks(std::move(inner), output));
        output.onTermination([handle] { handle.cancel(); });
        return std::move(stream);
    } catch (...) {
        return failedStream(std::make_exception_ptr(generateContentError(std::current_exception())));
    }
}

Task<CountTokensResponse> GenerativeModel::countTokens(ContentsProducer contents) const {
    return count(state_, std::move(contents));
}

Chat GenerativeModel::startChat(std::vector<ModelContent> history) const { return Chat(*this, std::move(history)); }

GenerateContentError GenerativeModel::generateContentError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const GenerateContentError& alreadyMapped) {
        return alreadyMapped;
    } catch (const RPCError& rpcError) {
        const auto info = rpcError.errorInfo();
        if (info && info->reason == "API_KEY_INVALID") return GenerateContentError::invalidAPIKey(rpcError.message());
        if (rpcError.message() == "User location is not supported for the API use.") {
            return GenerateContentError::unsupportedUserLocation();
        }
    } catch (...) {
    }
    return GenerateContentError::internalError(error);
}

ContentsProducer GenerativeModel::userTurn(std::vector<ThrowingPartsRepresentable> parts) {
    return [parts = std::move(parts)] {
        return std::vector<ModelContent>{ModelContent("user", ThrowingPartsRepresentable(parts).convertToParts())};
    };
}

} // namespace genai
