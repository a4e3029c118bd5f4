#include "analysis/ChatViewModel.h"

#include "analysis/AnalysisSupport.h"
#include "analysis/DayRange.h"
#include "analysis/OpenAIResponses.h"
#include "analysis/ReportPrompt.h"
#include "app/ServiceConfiguration.h"
#include "app/UnifiedActivityService.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/net/HttpClient.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>

namespace glimmo {

std::string_view rawValue(ChatMessage::SenderRole role) {
    return role == ChatMessage::SenderRole::user ? "user" : "assistant";
}

std::optional<ChatMessage::SenderRole> senderRoleFromRawValue(std::string_view raw) {
    if (raw == "user") {
        return ChatMessage::SenderRole::user;
    }
    if (raw == "assistant") {
        return ChatMessage::SenderRole::assistant;
    }
    return std::nullopt;
}

ChatViewModel::ChatViewModel(std::shared_ptr<UnifiedActivityService> service, std::string initialTimeframe)
    : apiKey(ServiceConfiguration::openAIAPIKey()),
      apiURL(ServiceConfiguration::openAIBaseURL() + "/v1/responses"),
      unifiedActivityService(std::move(service)),
      timeframe(*this, std::move(initialTimeframe)), textWork_(std::make_unique<BackgroundQueue>()) {}

ChatViewModel::~ChatViewModel() = default;

std::string ChatViewModel::dayTimeframe(Date day) {
    return dayKey(day);
}

bool ChatViewModel::hasAPIKey() const {
    return !apiKey.empty() && apiKey != keyPlaceholder;
}

void ChatViewModel::sendMessage() {
    const std::string question = trimmed(currentInput.get());
    if (question.empty()) {
        return;
    }
    messages.modify([&](std::vector<ChatMessage>& list) {
        list.push_back({UUID::random(), ChatMessage::SenderRole::user, question, false});
    });
    currentInput = "";
    isLoading = true;
    messages.modify([](std::vector<ChatMessage>& list) {
        list.push_back({UUID::random(), ChatMessage::SenderRole::assistant, "", true});
    });
    startTask(RunLoop::main(), answer(question));
}

Task<void> ChatViewModel::answer(std::string question) {
    const auto self = shared_from_this();
    auto contextTask = activityContext();
    const auto context = std::make_shared<const std::string>(co_await std::move(contextTask));
    auto logging = printOffTheMainLoop(*textWork_, "Activity Context:", context);
    co_await std::move(logging);

    std::string reply;
    std::string failure;
    try {
        auto request = fetchOpenAIResponse(question, *context);
        reply = co_await std::move(request);
    } catch (const CancellationError&) {
        throw; // the application quits: the question goes unanswered, which is no failure
    } catch (const std::exception& error) {
        printLine("Error fetching OpenAI response: " + logExcerpt(error.what()));
        failure = "Sorry, I couldn't get a response. Error: " + localizedDescription(error);
    }
    replaceLastPlaceholder(failure.empty() ? reply : failure);
    isLoading = false;
}

void ChatViewModel::replaceLastPlaceholder(std::string content) {
    messages.modify([&](std::vector<ChatMessage>& list) {
        const auto placeholder = std::find_if(list.rbegin(), list.rend(), [](const ChatMessage& message) {
            return message.isLoading;
        });
        if (placeholder != list.rend()) {
            *placeholder = {UUID::random(), ChatMessage::SenderRole::assistant, std::move(content), false};
        }
    });
}

std::pair<Date, Date> ChatViewModel::dateRange(const std::string& name) const {
    const Calendar calendar = Calendar::current();
    const Date now = RunLoop::main().now();
    if (name == "WEEK") {
        return {calendar.startOfWeek(now), now};
    }
    if (name == "MONTH") {
        return {calendar.startOfMonth(now), now};
    }
    // A day's date text names that local day, so a past day shown in the window is asked about
    // with its own activity rather than today's. The text is read as a calendar date (in UTC), so a
    // day whose local midnight was skipped still names that day.
    DateFormatter dayFormat;
    dayFormat.setLocale("en_US_POSIX");
    dayFormat.setTimeZone("UTC");
    dayFormat.setDateFormat("yyyy-MM-dd");
    if (const auto day = dayFormat.date(name); day && name.size() == 10) {
        const DateComponents date = Calendar("UTC").components(*day);
        return dayRange(calendar, calendar.date(date.year, date.month, date.day), now);
    }
    return {calendar.startOfDay(now), now};
}

Task<std::string> ChatViewModel::activityContext() {
    const auto self = shared_from_this();
    const auto range = dateRange(timeframe.get());
    auto reportTask = unifiedActivityService->generateReport(range.first, range.second);
    UnifiedActivityReport report = co_await std::move(reportTask);
    auto writing = reportPrompt(*textWork_, std::move(report), [name = lowercased(timeframe.get())](std::string reportText) {
        return "Here's some added context of what I've been up to during " + name +
            " in case it helps answer my query.\nDo not reference these at all if I don't specifically query for them:\n\n" +
            reportText + "\n\n---";
    });
    co_return co_await std::move(writing);
}

Task<std::string> ChatViewModel::fetchOpenAIResponse(std::string message, std::string context) {
    const auto self = shared_from_this();
    if (!hasAPIKey()) {
        co_return std::string(missingKeyAdvice);
    }
    HttpRequest request;
    request.method = "POST";
    request.url = apiURL;
    request.timeoutSeconds = requestTimeout;
    request.headers = {{"Authorization", "Bearer " + apiKey}, {"Content-Type", "application/json"}};
    request.carriesCredentials = true;
    // Cutting a context of megabytes to its characters takes a good part of a second.
    auto writing = textWork_->perform([context = std::move(context), message = std::move(message), limit = maxTokens] {
        return openAIRequestBody(openAIInput(context, message, limit));
    });
    request.body = co_await std::move(writing);

    auto sending = HttpClient::shared().send(std::move(request), RequestOptions{.maxBodyBytes = openAIReplyLimit});
    HttpResponse response = co_await std::move(sending);
    // A reply may run to 32 MiB.
    auto reading = textWork_->perform([response = std::move(response)] {
        if (isValidUTF8(response.body)) {
            printLine("OpenAI Response:");
            printLine(logExcerpt(response.body));
        }
        return openAIReplyText(response.status, response.body);
    });
    co_return co_await std::move(reading);
}

} // namespace glimmo
