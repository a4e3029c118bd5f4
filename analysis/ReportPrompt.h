#pragma once

// Prompts that carry an activity report. A busy day's report text runs to megabytes (some 5 MB on a
// day with 50,000 browser visits): making the report, writing its text and printing it to a terminal or
// a pipe take long enough to freeze the window, so they run on a queue of the caller's, never on the
// main loop.

#include "app/ActivityReport.h"
#include "platform/runtime/Task.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glimmo {

class BackgroundQueue;
struct UnifiedActivity;

using ComposePrompt = std::function<std::string(std::string reportText)>;

// What `compose` makes of the report's text, written on `queue`.
Task<std::string> reportPrompt(BackgroundQueue& queue, UnifiedActivityReport report, ComposePrompt compose);

// The same for the report of `activities`, whose durations add up to `totalSeconds`: the report is made on
// `queue` too, and the prompt printed there as soon as it is written, after the line `title`. The
// activities are shared, not copied: the caller goes on with them.
Task<std::string> printedReportPrompt(BackgroundQueue& queue, std::shared_ptr<const std::vector<UnifiedActivity>> activities,
                                      double totalSeconds, ComposePrompt compose, std::string title);

// `title`, then `text`, each printed as a line of standard output on `queue`.
Task<void> printOffTheMainLoop(BackgroundQueue& queue, std::string title, std::shared_ptr<const std::string> text);

} // namespace glimmo
