#pragma once

#include "analysis/ChatMessage.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

class BackgroundQueue;
class UnifiedActivityService;

// One chat conversation about the user's own computer use. Each question goes to the OpenAI
// Responses API with the activity report of the timeframe as context. Nothing is stored. A busy day's
// context runs to megabytes: its text, the request body and the reply are written, logged and read
// on a thread of the model's own, never on the main loop.
//
// Timeframes: "TODAY", "WEEK", "MONTH", or a day's "yyyy-MM-dd" text (that local day); any other
// text means today. Create with std::make_shared. Main thread only.
class ChatViewModel : public ObservableObject, public std::enable_shared_from_this<ChatViewModel> {
public:
    static constexpr std::size_t defaultMaxTokens = 500000;
    static constexpr double requestTimeout = 60;
    static constexpr const char* missingKeyAdvice = "Please add your OpenAI API Key to ChatViewModel";
    static constexpr const char* keyPlaceholder = "YOUR_OPENAI_API_KEY";

    // The key and the address come from the configuration (OPENAI_API_KEY, OPENAI_BASE_URL).
    ChatViewModel(std::shared_ptr<UnifiedActivityService> unifiedActivityService, std::string timeframe);
    ~ChatViewModel() override;

    Published<std::vector<ChatMessage>> messages{*this, {}};
    Published<std::string> currentInput{*this, ""};
    Published<bool> isLoading{*this, false};
    std::string apiKey;
    std::string apiURL;
    const std::shared_ptr<UnifiedActivityService> unifiedActivityService;
    // The most user-perceived characters one request may carry.
    std::size_t maxTokens = defaultMaxTokens;
    Published<std::string> timeframe;

    // Sends the trimmed input as a question; the reply replaces a placeholder when it arrives.
    void sendMessage();
    std::pair<Date, Date> dateRange(const std::string& timeframe) const;
    Task<std::string> activityContext();
    // The reply's text, or the advice text when no key is configured. Throws HttpError, URLError
    // or JSONDecodingError.
    Task<std::string> fetchOpenAIResponse(std::string message, std::string context);

    // The timeframe text of a shown day: its local "yyyy-MM-dd".
    static std::string dayTimeframe(Date day);

    // Whether requests can be made at all (a key other than the placeholder is set).
    bool hasAPIKey() const;

private:
    Task<void> answer(std::string question);
    void replaceLastPlaceholder(std::string content);

    std::unique_ptr<BackgroundQueue> textWork_;
};

} // namespace glimmo
