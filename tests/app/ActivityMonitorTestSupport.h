#pragma once

// A monitor wired to a virtual-time run loop, the fake desktop services, a record file in a fresh
// folder and a Gemini endpoint on a loopback server.

#include "app/ActivityMonitor.h"
#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace glimmo::testing {

inline const RunningApplication terminalApp{"Terminal", 101, "org.gnome.Terminal"};
inline const RunningApplication editorApp{"Editor", 202, "org.gnome.TextEditor"};
inline const RunningApplication browserApp{"Browser", 303, "firefox"};

class ActivityMonitorFixture : public ::testing::Test {
protected:
    ActivityMonitorFixture() {
        setDefaultTimeZone("UTC");
        setDefaultLocale("en_US");
        RunLoop::setMain(loop);
        setLogSinkForTesting([this](LogLevel, std::string_view line) {
            const std::lock_guard lock(logMutex);
            logLines.emplace_back(line);
        });
        gemini.on("POST", R"(/v1beta/models/gemini-2\.0-flash:generateContent)",
                  [this](const RecordedRequest&, ServerReply& reply) {
                      const std::lock_guard lock(replyMutex);
                      reply = geminiReply;
                  });
        setGeminiText("A summary of the window.");
    }

    ~ActivityMonitorFixture() override {
        if (monitor) {
            // Analyses read the fake services from another thread; let them finish first.
            loop->runUntilIdle();
            EXPECT_TRUE(waitFor([this] { return monitor->runningAnalyses() == 0; }));
            monitor->flushRecordFile();
        }
        monitor.reset();
        loop->runUntilIdle();
        setLogSinkForTesting({});
        RunLoop::setMain(nullptr);
        setDefaultTimeZone("");
        setDefaultLocale("");
    }

    void setGeminiText(const std::string& text) {
        ServerReply reply;
        reply.headers = {{"Content-Type", "application/json"}};
        reply.body = R"({"candidates":[{"content":{"role":"model","parts":[{"text":")" + text +
                     R"("}]},"finishReason":"STOP","index":0}]})";
        setGeminiReply(reply);
    }

    void setGeminiReply(ServerReply reply) {
        const std::lock_guard lock(replyMutex);
        geminiReply = std::move(reply);
    }

    ActivityMonitor::Services services() {
        ActivityMonitor::Services services;
        services.runLoop = loop.get();
        services.workspace = &workspace;
        services.accessibility = &accessibility;
        services.inputTap = &inputTap;
        services.recordFilePath = recordFile;
        services.geminiAPIKey = apiKey;
        services.geminiBaseURL = gemini.baseURL();
        return services;
    }

    void createMonitor() {
        monitor = ActivityMonitor::create(services());
        loop->runUntilIdle();
    }

    // Runs the loop (without moving virtual time) until the predicate holds; bounded in real time.
    bool waitFor(const std::function<bool()>& predicate) { return loop->runUntil(predicate, 10); }

    bool waitUntilNotPending(const ActivityRecord& record) {
        return waitFor([&] { return record.windowText.get() != windowTextState::pending; });
    }

    std::vector<std::string> logs() {
        const std::lock_guard lock(logMutex);
        return logLines;
    }

    bool logged(const std::string& line) {
        const auto lines = logs();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    bool loggedPrefix(const std::string& prefix) {
        for (const auto& line : logs()) {
            if (line.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }

    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>(Date::fromUnixTime(1796637600));
    FakeWorkspace workspace;
    FakeAccessibility accessibility;
    FakeInputActivityTap inputTap;
    TemporaryDirectory directory;
    std::filesystem::path recordFile = directory.path() / "Documents" / ActivityRecordFile::fileName;
    LoopbackServer gemini;
    std::string apiKey = "test-key";
    std::shared_ptr<ActivityMonitor> monitor;

    std::mutex logMutex;
    std::vector<std::string> logLines;
    std::mutex replyMutex;
    ServerReply geminiReply;
};

} // namespace glimmo::testing
