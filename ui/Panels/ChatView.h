#pragma once

// The chat page: a scrolling column of message bubbles over an input bar. Each view identity has
// its own conversation (its own ChatViewModel); the hosts give the view the shown day's identity,
// so another day or a new entry into the tab starts an empty chat.

#include "analysis/ChatMessage.h"
#include "analysis/ChatViewModel.h"
#include "platform/view/ViewKit.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

class UnifiedActivityService;

// One message: the user's on the right in a blue bubble, the assistant's on the left in a gray
// one (as its ReplyText: a long reply is cut), a spinner while the reply is pending.
struct MessageView : View<MessageView> {
    ChatMessage message;

    static constexpr CGFloat maxBubbleWidth = 300;

    AnyView body() const;
    // An unchanged message is not evaluated again when the conversation changes.
    bool operator==(const MessageView& other) const { return message == other.message; }
};

struct ChatView : View<ChatView> {
    static constexpr CGFloat conversationHeight = 550;
    static constexpr const char* placeholder = "Type your message...";

    // A new ChatViewModel over the service with `timeframe`, made once per view identity.
    ChatView(std::shared_ptr<UnifiedActivityService> unifiedActivityService, std::string timeframe);
    ChatView(std::function<std::shared_ptr<ChatViewModel>()> makeViewModel, std::string timeframe);

    StateObject<ChatViewModel> viewModel;
    FocusState isInputFocused;
    std::string timeframe;

    AnyView body() const;

    // The send button is gray and disabled while the typed text is empty or a reply is pending.
    static bool canSend(const ChatViewModel& model);
};

} // namespace glimmo
