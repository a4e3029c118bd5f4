#pragma once

// A reply shown as plain text, the one way the application shows one so (a chat bubble, the media
// digest): only its excerpt, the same one ReplyMarkdown shows, and after it, when the reply is longer,
// the italic line saying how much was left out. Laying out a megabyte of text holds the main loop for
// a good part of a second; the excerpt takes milliseconds. Nothing is parsed. One Text, so the
// caller's text modifiers apply to both parts.

#include "platform/view/Text.h"

#include <string_view>

namespace glimmo {

Text replyText(std::string_view reply);

} // namespace glimmo
