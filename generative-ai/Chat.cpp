#include "generative-ai/Chat.h"

#include "generative-ai/ClientError.h"
#include "platform/runtime/RunLoop.h"

namespace genai {

namespace {

using glimmo::Task;
using Stream = glimmo::AsyncThrowingStream<GenerateContentResponse>;

GenerateContentError preparationError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const ImageConversionError& conversion) {
        return GenerateContentError::promptImageContentError(conversion);
    } catch (...) {
        return GenerateContentError::internalError(error);
    }
}

// The caller's new turns, each with a role. Throws the mapped GenerateContentError.
std::vector<ModelContent> prepareTurns(const ContentsProducer& produce) {
    std::vector<ModelContent> turns;
    try {
        turns = produce();
    } catch (...) {
        throw preparationError(std::current_exception());
    }
    for (auto& turn : turns) {
        if (!turn.role) turn.role = "user";
    }
    return turns;
}

std::vector<ModelContent> joined(const std::vector<ModelContent>& history, const std::vector<ModelContent>& turns) {
    auto contents = history;
    contents.insert(contents.end(), turns.begin(), turns.end());
    return contents;
}

// Folds streamed contents into one reply turn: adjacent text, also across chunks, becomes one text
// part; other parts keep their place.
ModelContent aggregate(const std::vector<ModelContent>& contents) {
    ModelContent reply("model", {});
    std::string buffer;
    for (const auto& content : contents) {
        for (const auto& part : content.parts) {
            if (const auto text = part.textValue()) {
                buffer += *text;
                continue;
            }
            if (!buffer.empty()) reply.parts.push_back(ModelContent::Part::text(std::exchange(buffer, {})));
            reply.parts.push_back(part);
        }
    }
    if (!buffer.empty()) reply.parts.push_back(ModelContent::Part::text(std::move(buffer)));
    return reply;
}

Task<GenerateContentResponse> send(std::shared_ptr<Chat::State> state, ContentsProducer produce) {
    const auto turns = prepareTurns(produce);
    // Named rather than temporary: the compiler mishandles temporaries with destructors inside a
    // co_await expression.
    ContentsProducer contents = [contents = joined(state->history, turns)] { return contents; };
    auto pending = state->model.generateContent(std::move(contents));
    auto response = co_await std::move(pending);
    if (response.candidates.empty()) {
        throw GenerateContentError::internalError(
            std::make_exception_ptr(makeClientError("No candidates with content available.")));
    }
    state->history.insert(state->history.end(), turns.begin(), turns.end());
    state->history.push_back(ModelContent("model", response.candidates.front().content.parts));
    co_return response;
}

Task<void> streamReply(std::shared_ptr<Chat::State> state, std::vector<ModelContent> turns, Stream::Continuation output) {
    std::vector<ModelContent> replies;
    try {
        auto contents = joined(state->history, turns);
        auto stream = state->model.generateContentStream([&contents] { return std::move(contents); });
        for (;;) {
            auto pending = stream.next();
            auto response = co_await std::move(pending);
            if (!response) break;
            if (!response->candidates.empty()) replies.push_back(response->candidates.front().content);
            auto sending = output.send(std::move(*response));
            co_await std::move(sending);
        }
    } catch (...) {
        output.finish(std::current_exception());
        co_return;
    }
    state->history.insert(state->history.end(), turns.begin(), turns.end());
    state->history.push_back(aggregate(replies));
    output.finish();
}

Stream failedStream(std::exception_ptr error) {
    auto [stream, output] = Stream::make();
    output.finish(std::move(error));
    return std::move(stream);
}

} // namespace

Chat::Chat(GenerativeModel model, std::vector<ModelContent> history)
    : state_(std::make_shared<State>(State{std::move(model), std::move(history)})) {}

Task<GenerateContentResponse> Chat::sendMessage(ContentsProducer contents) { return send(state_, std::move(contents)); }

Task<GenerateContentResponse> Chat::sendMessageParts(std::vector<ThrowingPartsRepresentable> parts) {
    return send(state_, [parts = std::move(parts)] {
        return std::vector<ModelContent>{ModelContent("user", ThrowingPartsRepresentable(parts).convertToParts())};
    });
}

Stream Chat::sendMessageStream(ContentsProducer contents) {
    std::vector<ModelContent> turns;
    try {
        turns = prepareTurns(contents);
    } catch (...) {
        return failedStream(std::current_exception());
    }
    try {
        auto [stream, output] = Stream::make(streamedRepliesAhead);
        // No termination handler: the exchange runs to its end so the history stays whole.
        glimmo::startTask(glimmo::RunLoop::main(), streamReply(state_, std::move(turns), output));
        return std::move(stream);
    } catch (...) {
        return failedStream(std::make_exception_ptr(GenerateContentError::internalError(std::current_exception())));
    }
}

Stream Chat::sendMessageStreamParts(std::vector<ThrowingPartsRepresentable> parts) {
    return sendMessageStream([parts = std::move(parts)] {
        return std::vector<ModelContent>{ModelContent("user", ThrowingPartsRepresentable(parts).convertToParts())};
    });
}

} // namespace genai
