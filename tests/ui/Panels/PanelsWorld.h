#pragma once

// The analysis world of the panel tests, behind a small interface: a virtual-time main
// loop, fresh defaults and stores, a monitor and a history reader on fake desktop services, and
// loopback Gemini and OpenAI servers.

#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/UnifiedActivityService.h"
#include "platform/desktop/fakes/FakePasteboard.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/ManualRunLoop.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace glimmo::testing {

// 2026-12-07 (a Monday) at the given time of day, UTC.
Date onThe7th(int hour, int minute = 0);
std::string openAIReplyWithText(const std::string& text);
std::string geminiReplyWithText(const std::string& text);

class PanelsWorld {
public:
    PanelsWorld();
    ~PanelsWorld();
    PanelsWorld(const PanelsWorld&) = delete;
    PanelsWorld& operator=(const PanelsWorld&) = delete;

    std::shared_ptr<ManualRunLoop> loop() const;
    std::shared_ptr<ActivityMonitor> monitor() const;
    std::shared_ptr<ChromeHistoryReader> reader() const;
    std::shared_ptr<UnifiedActivityService> service() const;
    FakePasteboard& pasteboard() const;
    std::filesystem::path folder() const;

    void answerOpenAI(int status, const std::string& body);
    void answerGemini(int status, const std::string& body, double stallSeconds = 0);
    std::size_t openAIRequestCount() const;
    std::size_t geminiRequestCount() const;
    // The text of the last OpenAI request's input.
    std::string lastOpenAIRequestBody() const;
    bool logged(const std::string& line) const;
    std::vector<std::string> logs() const;
    void addRecord(const std::string& appName, Date start, double seconds);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo::testing
