#include "analysis/ReportPrompt.h"

#include "app/UnifiedActivityService.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/BackgroundQueue.h"

namespace glimmo {

Task<std::string> reportPrompt(BackgroundQueue& queue, UnifiedActivityReport report, ComposePrompt compose) {
    return queue.perform([report = std::move(report), compose = std::move(compose)] {
        return compose(UnifiedActivityService::formatReport(report));
    });
}

Task<std::string> printedReportPrompt(BackgroundQueue& queue, std::shared_ptr<const std::vector<UnifiedActivity>> activities,
                                      double totalSeconds, ComposePrompt compose, std::string title) {
    return queue.perform([activities = std::move(activities), totalSeconds, compose = std::move(compose),
                          title = std::move(title)] {
        std::string prompt = compose(UnifiedActivityService::formatReport(makeActivityReport(*activities, totalSeconds)));
        printLine(title);
        printLine(prompt);
        return prompt;
    });
}

Task<void> printOffTheMainLoop(BackgroundQueue& queue, std::string title, std::shared_ptr<const std::string> text) {
    return queue.perform([title = std::move(title), text = std::move(text)] {
        printLine(title);
        printLine(*text);
    });
}

} // namespace glimmo
