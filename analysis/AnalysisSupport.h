#pragma once

#include "platform/runtime/Date.h"
#include "platform/runtime/Task.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace genai {
class GenerativeModel;
}

namespace glimmo {

class BackgroundQueue;

inline constexpr const char* analysisGeminiModelName = "gemini-2.0-flash";
inline constexpr double analysisGeminiTimeout = 300;

// A Gemini model with the configured key and address, a 300 s time-out and the "v1beta" API. A
// missing key is logged once per process.
std::unique_ptr<genai::GenerativeModel> makeGeminiModel();

// Called before a request: without a key nothing of the user's activity is sent, and the request
// ends in genai::GenerateContentError (invalidAPIKey, naming the variable) instead.
void requireAPIKey(const genai::GenerativeModel& model);

// The text of Gemini's reply to `prompt`, or none when the reply has none. The key is required
// (requireAPIKey) and the request written and its reply, up to 32 MiB, decoded on `queue`, never on
// the main loop. Throws what those throw.
Task<std::optional<std::string>> geminiReplyText(BackgroundQueue& queue, const genai::GenerativeModel& model,
                                                 std::string prompt);
// The same on the awaiting task's own executor, for a task on such a queue that goes on with the text
// there. `model` is a copy: its settings are shared and immutable.
Task<std::optional<std::string>> replyTextHere(genai::GenerativeModel model, std::string prompt);

// A date as its default description shows it: "2026-12-07 09:30:00 +0000" (UTC).
std::string dateDescription(Date date);

// What an error tells the user: the platform error's localised description, else what().
std::string localizedDescription(const std::exception& error);

} // namespace glimmo
