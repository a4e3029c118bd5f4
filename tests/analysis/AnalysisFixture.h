#pragma once

// The day analysis's world for a test: a virtual-time main loop, a fresh folder for the defaults,
// the preferences and the per-day store, an activity monitor and a history reader on fake desktop
// services, and loopback Gemini and OpenAI servers that the configuration points at.

#include "app/ActivityDataManager.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakePasteboard.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/Task.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <deque>
#include <optional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace glimmo::testing {

inline const std::string geminiPath = "/v1beta/models/gemini-2.0-flash:generateContent";
inline const std::string geminiPattern = R"(/v1beta/models/gemini-2\.0-flash:generateContent)";

// 2026-12-07 (a Monday) at the given time of day, UTC.
inline Date on7th(int hour, int minute = 0, int second = 0) {
    return Date::fromUnixTime(1796601600.0 + hour * 3600 + minute * 60 + second);
}

// A Gemini reply whose first candidate says `text`.
// A Responses API reply whose first output's first content says `text`.
inline std::string openAITextReply(const std::string& text) {
    nlohmann::json body;
    body["id"] = "resp_1";
    body["output"] = nlohmann::json::array(
        {{{"type", "message"}, {"content", nlohmann::json::array({{{"type", "output_text"}, {"text", text}}})}}});
    return body.dump();
}

inline std::string geminiTextReply(const std::string& text) {
    nlohmann::json body;
    body["candidates"] = nlohmann::json::array(
        {{{"content", {{"role", "model"}, {"parts", nlohmann::json::array({{{"text", text}}})}}}, {"finishReason", "STOP"}}});
    return body.dump();
}

class AnalysisFixture : public ::testing::Test {
private:
    // Before the servers, so that they go first.
    std::mutex replyMutex_;
    ServerReply geminiReply_;
    std::deque<ServerReply> queuedGeminiReplies_;
    ServerReply openAIReply_;
    std::deque<ServerReply> queuedOpenAIReplies_;

protected:
    AnalysisFixture() {
        setDefaultTimeZone("UTC");
        setDefaultLocale("en_US");
        RunLoop::setMain(loop);
        setLogSinkForTesting([this](LogLevel, std::string_view line) {
            const std::lock_guard lock(logMutex_);
            logLines_.emplace_back(line);
            if (std::this_thread::get_id() != mainThread_) offTheMainLoop_.emplace_back(line);
        });
        environment.set("GEMINI_BASE_URL", gemini.baseURL());
        environment.set("GEMINI_API_KEY", "test-gemini-key");
        environment.set("OPENAI_BASE_URL", openAI.baseURL());
        environment.set("OPENAI_API_KEY", "test-openai-key");

        UserDefaults::setStandard(std::make_shared<UserDefaults>(directory.path() / "defaults.json"));
        PreferencesModel::setShared(std::make_shared<PreferencesModel>(UserDefaults::standard(), notifications));
        const auto supportFolder = directory.path() / "support";
        ActivityDataManager::setShared(std::make_shared<ActivityDataManager>(
            loop->clock(), [supportFolder]() -> std::optional<std::filesystem::path> { return supportFolder; }));
        Pasteboard::setShared(pasteboard);

        ChromeHistoryReader::resetLastLoadTimeForTesting();
        workspace.setFrontmost(std::nullopt);
        startServices(directory.path() / "Documents" / "records.json");
        gemini.on("POST", geminiPattern, [this](const RecordedRequest&, ServerReply& reply) {
            const std::lock_guard lock(replyMutex_);
            reply = takeQueued(queuedGeminiReplies_).value_or(geminiReply_);
        });
        openAI.on("POST", "/v1/responses", [this](const RecordedRequest&, ServerReply& reply) {
            const std::lock_guard lock(replyMutex_);
            reply = takeQueued(queuedOpenAIReplies_).value_or(openAIReply_);
        });
        loop->runUntilIdle();
    }

    ~AnalysisFixture() override {
        // What a test started ends before its world does: a model still waiting for a reply would
        // outlive the stores and the loop it refers to and act on them in a later test.
        loop->runUntil([] { return pendingContinuationCount() == 0; }, 20);
        service.reset();
        reader.reset();
        if (monitor) {
            monitor->flushRecordFile();
        }
        monitor.reset();
        loop->runUntilIdle();
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        Pasteboard::setShared(nullptr);
        ActivityDataManager::setShared(nullptr);
        PreferencesModel::setShared(nullptr);
        UserDefaults::setStandard(nullptr);
        setLogSinkForTesting({});
        RunLoop::setMain(nullptr);
        setDefaultTimeZone("");
        setDefaultLocale("");
    }

    // The monitor on `recordFile`, the history reader and the activity service over them, in place of
    // those running.
    void startServices(const std::filesystem::path& recordFile) {
        service.reset();
        reader.reset();
        if (monitor) {
            monitor->flushRecordFile();
        }
        monitor.reset();
        ActivityMonitor::Services services;
        services.runLoop = loop.get();
        services.workspace = &workspace;
        services.accessibility = &accessibility;
        services.inputTap = &inputTap;
        services.recordFilePath = recordFile;
        services.geminiAPIKey = "test-gemini-key";
        services.geminiBaseURL = gemini.baseURL();
        monitor = ActivityMonitor::create(services);
        reader = std::make_shared<ChromeHistoryReader>(loop->clock(), workspace, directory.path() / "History",
                                                       directory.path() / "chromeHistory.db");
        service = std::make_shared<UnifiedActivityService>(monitor, reader, PreferencesModel::shared(), loop->clock());
    }

    // A record of `seconds` in an application, started at `start`.
    void addRecord(const std::string& appName, Date start, double seconds) {
        auto record = std::make_shared<ActivityRecord>(UUID::random(), appName, start, "window of " + appName);
        record->duration = seconds;
        monitor->activityRecords.modify([&](auto& records) { records.insert(records.begin(), record); });
        service->cachedActivities = {};
    }

    // What the Gemini server answers from now on.
    void answerGemini(int status, const std::string& body, double stallSeconds = 0) {
        const std::lock_guard lock(replyMutex_);
        geminiReply_ = ServerReply{};
        geminiReply_.status = status;
        geminiReply_.headers = {{"Content-Type", "application/json"}};
        geminiReply_.body = body;
        geminiReply_.stallSeconds = stallSeconds;
    }

    // What the OpenAI server answers from now on.
    void answerOpenAI(int status, const std::string& body) {
        const std::lock_guard lock(replyMutex_);
        openAIReply_ = ServerReply{};
        openAIReply_.status = status;
        openAIReply_.headers = {{"Content-Type", "application/json"}};
        openAIReply_.body = body;
    }

    // Replies for the next requests, one each, before the standing reply applies again.
    static ServerReply jsonReply(int status, const std::string& body, double stallSeconds = 0) {
        ServerReply reply;
        reply.status = status;
        reply.headers = {{"Content-Type", "application/json"}};
        reply.body = body;
        reply.stallSeconds = stallSeconds;
        return reply;
    }
    void queueGeminiReply(ServerReply reply) {
        const std::lock_guard lock(replyMutex_);
        queuedGeminiReplies_.push_back(std::move(reply));
    }
    void queueOpenAIReply(ServerReply reply) {
        const std::lock_guard lock(replyMutex_);
        queuedOpenAIReplies_.push_back(std::move(reply));
    }

    template <class T>
    T run(Task<T> task) {
        if constexpr (std::is_void_v<T>) {
            runBlocking(*loop, std::move(task), 20);
            loop->runUntilIdle();
        } else {
            T value = runBlocking(*loop, std::move(task), 20);
            loop->runUntilIdle();
            return value;
        }
    }

    std::vector<std::string> logs() const {
        const std::lock_guard lock(logMutex_);
        return logLines_;
    }

    // The lines logged off the main loop (the test's thread), in order.
    std::vector<std::string> logsOffTheMainLoop() const {
        const std::lock_guard lock(logMutex_);
        return offTheMainLoop_;
    }

    bool logged(const std::string& line) const {
        const auto lines = logs();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>(on7th(15));
    TemporaryDirectory directory;
    ScopedEnvironment environment;
    LoopbackServer gemini;
    LoopbackServer openAI;
    NotificationCenter notifications;
    FakeWorkspace workspace;
    FakeAccessibility accessibility;
    FakeInputActivityTap inputTap;
    std::shared_ptr<FakePasteboard> pasteboard = std::make_shared<FakePasteboard>();
    std::shared_ptr<ActivityMonitor> monitor;
    std::shared_ptr<ChromeHistoryReader> reader;
    std::shared_ptr<UnifiedActivityService> service;

private:
    static std::optional<ServerReply> takeQueued(std::deque<ServerReply>& queue) {
        if (queue.empty()) return std::nullopt;
        ServerReply reply = std::move(queue.front());
        queue.pop_front();
        return reply;
    }

    mutable std::mutex logMutex_;
    std::vector<std::string> logLines_;
    const std::thread::id mainThread_ = std::this_thread::get_id();
    std::vector<std::string> offTheMainLoop_;
};

} // namespace glimmo::testing
