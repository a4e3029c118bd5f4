#include "analysis/MediaDigestModel.h"

#include "analysis/AnalysisSupport.h"
#include "analysis/ContentViewModel.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "generative-ai/GenerativeModel.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

#include <vector>

namespace glimmo {
namespace {

// The first `limit` non-empty lines, joined by line feeds.
std::string firstLines(std::string_view text, std::size_t limit) {
    std::string result;
    std::size_t kept = 0;
    std::size_t start = 0;
    while (start <= text.size() && kept < limit) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) {
            if (kept > 0) {
                result += '\n';
            }
            result.append(text.substr(start, end - start));
            ++kept;
        }
        start = end + 1;
    }
    return result;
}

} // namespace

const std::string_view MediaDigestModel::mediaPrompt =
    "Based on this user's app usage and web browsing history (showing top results only), suggest 3 high-quality "
    "media recommendations for intellectual growth. \n"
    "Focus on their apparent interests and professional needs.\n"
    "\n"
    "Format the response as:\n"
    "1. An upscale newsletter/blog they might enjoy\n"
    "2. A thought-provoking podcast or video content\n"
    "3. A book or long-form content piece\n"
    "\n"
    "Make it personal and relevant to their browsing patterns. If you notice specific topics they frequently "
    "visit, tailor the recommendations to those areas.\n"
    "Keep the tone sophisticated but friendly. Don't use these \"*\" at all. Don't include them. Don't emote. \n"
    "\n"
    "Don't include an intro. Go directly into the recommendations. The recommendations should be formatted like so "
    "<type>:<Title>->. Put a new line between each one. Include a full sentence description that explains why it's "
    "relevant to their interests or how it could benefit them.\n"
    "\n"
    "Don't include system login/logout screens\n"
    "Their activity data:\n"
    "Web History:\n";

MediaDigestModel::MediaDigestModel(std::shared_ptr<ChromeHistoryReader> reader, std::shared_ptr<ActivityMonitor> monitor)
    : chromeReader(std::move(reader)), activityMonitor(std::move(monitor)), gemini_(makeGeminiModel()),
      work_(std::make_unique<BackgroundQueue>()) {
    // The recommendations shown, and those on their way, were made from the data the clear deleted.
    clearingObserver_ = NotificationCenter::defaultCenter().addObserver(ContentViewModel::didClearApplicationData,
                                                                         [this](const Notification&) {
                                                                             ++generation_;
                                                                             recommendation = "";
                                                                             isLoading = false;
                                                                         });
}

MediaDigestModel::~MediaDigestModel() = default;

std::string MediaDigestModel::recommendationPrompt(std::string_view historySummary, std::string_view usageSummary) {
    return std::string(mediaPrompt) + firstLines(historySummary, historyLineLimit) + "\n\nApp Usage:\n" +
           firstLines(usageSummary, usageLineLimit);
}

Task<void> MediaDigestModel::generateRecommendation() {
    const auto self = shared_from_this();
    const std::uint64_t generation = ++generation_;
    printLine("Generating Recommendation");
    const std::string prompt =
        recommendationPrompt(chromeReader->historySummary("MONTH", historyLineLimit),
                             activityMonitor->usageSummary(usageInterval));

    std::optional<std::string> text;
    bool failed = false;
    try {
        auto request = geminiReplyText(*work_, *gemini_, prompt);
        text = co_await std::move(request);
    } catch (const std::exception&) {
        failed = true;
    }

    const std::weak_ptr<MediaDigestModel> weakSelf = self;
    RunLoop::main().post([weakSelf, generation, text = std::move(text), failed]() mutable {
        const auto model = weakSelf.lock();
        if (!model || model->generation_ != generation) {
            return;
        }
        if (failed) {
            model->recommendation = failureText;
        } else if (text) {
            model->recommendation = std::move(*text);
        }
        model->isLoading = false;
    });
}

} // namespace glimmo
