#pragma once

// Prompts that carry an activity report. A busy day's report text runs to megabytes (some 5 MB on a
// day with 50,000 browser visits): writing it, and printing it to a terminal or a pipe, take long
// enough to freeze the window, so both run on a queue of the caller's, never on the main loop.

#include "app/ActivityReport.h"
#include "platform/runtime/Task.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

class BackgroundQueue;

// What `compose` makes of the report's text, written on `queue`.
Task<std::string> reportPrompt(BackgroundQueue& queue, UnifiedActivityReport report,
                               std::function<std::string(std::string reportText)> compose);

// `title`, then `text`, each printed as a line of standard output on `queue`.
Task<void> printOffTheMainLoop(BackgroundQueue& queue, std::string title, std::shared_ptr<const std::string> text);

} // namespace glimmo
