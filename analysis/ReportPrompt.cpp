#include "analysis/ReportPrompt.h"

#include "app/UnifiedActivityService.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/BackgroundQueue.h"

namespace glimmo {

Task<std::string> reportPrompt(BackgroundQueue& queue, UnifiedActivityReport report,
                               std::function<std::string(std::string reportText)> compose) {
    return queue.perform([report = std::move(report), compose = std::move(compose)] {
        return compose(UnifiedActivityService::formatReport(report));
    });
}

Task<void> printOffTheMainLoop(BackgroundQueue& queue, std::string title, std::shared_ptr<const std::string> text) {
    return queue.perform([title = std::move(title), text = std::move(text)] {
        printLine(title);
        printLine(*text);
    });
}

} // namespace glimmo
