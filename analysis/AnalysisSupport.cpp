#include "analysis/AnalysisSupport.h"

#include "app/ServiceConfiguration.h"
#include "generative-ai/GenerativeModel.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Error.h"
#include "platform/runtime/BackgroundQueue.h"

namespace glimmo {

std::unique_ptr<genai::GenerativeModel> makeGeminiModel() {
    const std::string key = ServiceConfiguration::geminiAPIKey();
    ServiceConfiguration::checkKeyPresent(key, "GEMINI_API_KEY");
    genai::RequestOptions options;
    options.timeout = analysisGeminiTimeout;
    options.apiVersion = "v1beta";
    options.baseURL = ServiceConfiguration::geminiBaseURL();
    return std::make_unique<genai::GenerativeModel>(analysisGeminiModelName, key, std::nullopt, std::nullopt,
                                                    std::nullopt, std::nullopt, std::nullopt, options);
}

void requireAPIKey(const genai::GenerativeModel& model) {
    if (model.generativeAIService().apiKey().empty()) {
        throw genai::GenerateContentError::invalidAPIKey("GEMINI_API_KEY is not set");
    }
}

Task<std::optional<std::string>> geminiReplyText(BackgroundQueue& queue, const genai::GenerativeModel& model,
                                                 std::string prompt) {
    return queue.performTask(replyTextHere(model, std::move(prompt)));
}

Task<std::optional<std::string>> replyTextHere(genai::GenerativeModel model, std::string prompt) {
    requireAPIKey(model);
    auto request = model.generateContent(std::move(prompt));
    const genai::GenerateContentResponse response = co_await std::move(request);
    co_return response.text();
}

std::string dateDescription(Date date) {
    DateFormatter formatter;
    formatter.setLocale("en_US_POSIX");
    formatter.setTimeZone("UTC");
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss Z");
    return formatter.string(date);
}

std::string localizedDescription(const std::exception& error) {
    if (const auto* platformError = dynamic_cast<const Error*>(&error)) {
        return platformError->localizedDescription();
    }
    return error.what();
}

} // namespace glimmo
