#pragma once

#include "generative-ai/GenerativeModel.h"

#include <memory>
#include <vector>

namespace genai {

// A conversation with a model: each message is sent with every turn before it. The history grows
// only when an exchange succeeds: the new turns, then one "model" turn with the reply. Copies share
// the same conversation. One sender at a time: do not send again, or set the history, while a send
// (or a streamed reply) is still running.
class Chat {
public:
    Chat(GenerativeModel model, std::vector<ModelContent> history);

    const GenerativeModel& model() const { return state_->model; }
    const std::vector<ModelContent>& history() const { return state_->history; }
    void setHistory(std::vector<ModelContent> history) { state_->history = std::move(history); }

    // Parts form: the arguments become one "user" turn.
    template <class... Items>
        requires PromptParts<Items...>
    glimmo::Task<GenerateContentResponse> sendMessage(Items&&... parts) {
        return sendMessageParts({ThrowingPartsRepresentable(std::forward<Items>(parts))...});
    }
    // Turns form: the producer is called once; turns without a role get "user".
    glimmo::Task<GenerateContentResponse> sendMessage(ContentsProducer contents);

    // Returns at once; the parts are converted (or the producer called) before it returns. The
    // reply's chunks are folded into one "model" turn when the stream ends. The work runs on the
    // main run loop and goes on, updating the history, even if the consumer stops reading.
    template <class... Items>
        requires PromptParts<Items...>
    glimmo::AsyncThrowingStream<GenerateContentResponse> sendMessageStream(Items&&... parts) {
        return sendMessageStreamParts({ThrowingPartsRepresentable(std::forward<Items>(parts))...});
    }
    glimmo::AsyncThrowingStream<GenerateContentResponse> sendMessageStream(ContentsProducer contents);

    // The shared conversation; a streamed exchange keeps it alive until it has updated the history.
    struct State {
        GenerativeModel model;
        std::vector<ModelContent> history;
    };

private:
    glimmo::Task<GenerateContentResponse> sendMessageParts(std::vector<ThrowingPartsRepresentable> parts);
    glimmo::AsyncThrowingStream<GenerateContentResponse> sendMessageStreamParts(
        std::vector<ThrowingPartsRepresentable> parts);

    std::shared_ptr<State> state_;
};

} // namespace genai
