#pragma once

#include "platform/foundation/UUID.h"

#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// One message of a chat conversation. A reply that takes a placeholder's place is a new message
// with a new id.
struct ChatMessage {
    enum class SenderRole { user, assistant };

    UUID id = UUID::random();
    SenderRole role = SenderRole::user;
    std::string content;
    bool isLoading = false;

    bool operator==(const ChatMessage&) const = default;
};

// "user" and "assistant".
std::string_view rawValue(ChatMessage::SenderRole role);
std::optional<ChatMessage::SenderRole> senderRoleFromRawValue(std::string_view raw);

} // namespace glimmo
