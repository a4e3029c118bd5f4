#pragma once

#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace genai {
class GenerativeModel;
}

namespace glimmo {

class ActivityMonitor;
class BackgroundQueue;
class ChromeHistoryReader;

// Three media recommendations from the last month's browsing and the last day's applications,
// written by Gemini. Create with std::make_shared. Main thread only.
class MediaDigestModel : public ObservableObject, public std::enable_shared_from_this<MediaDigestModel> {
public:
    static constexpr std::size_t historyLineLimit = 100;
    static constexpr std::size_t usageLineLimit = 50;
    static constexpr double usageInterval = 86400;
    static constexpr const char* failureText =
        "Unable to generate recommendations at this time. Please try again later.";
    static const std::string_view mediaPrompt;

    MediaDigestModel(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor);
    ~MediaDigestModel() override;

    const std::shared_ptr<ChromeHistoryReader> chromeReader;
    const std::shared_ptr<ActivityMonitor> activityMonitor;
    Published<std::string> recommendation{*this, ""};
    Published<bool> isLoading{*this, true};
    const genai::GenerativeModel& gemini() const { return *gemini_; }

    // Asks for new recommendations. The outcome of a run overtaken by a later one is dropped, and so
    // is that of a run begun before "Clear All Data": it was made from the cleared records and history.
    Task<void> generateRecommendation();

    // The media prompt, the first non-empty lines of the history summary, "\n\nApp Usage:\n" and
    // the first non-empty lines of the usage summary.
    static std::string recommendationPrompt(std::string_view historySummary, std::string_view usageSummary);

private:
    std::unique_ptr<genai::GenerativeModel> gemini_;
    // Sends the request and decodes the reply, which may run to 32 MiB, off the main loop.
    std::unique_ptr<BackgroundQueue> work_;
    // Counts runs and clears: a run shows its outcome only while nothing came after its start.
    std::uint64_t generation_ = 0;
    Subscription clearingObserver_;
};

} // namespace glimmo
