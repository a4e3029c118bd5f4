#include "ActivityMonitorTestSupport.h"

#include "app/ActivityRecordFile.h"
#include "app/ServiceConfiguration.h"
#include "app/WindowContextText.h"
#include "platform/foundation/Text.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <thread>

namespace glimmo::testing {
namespace {

using ::testing::HasSubstr;

FakeElement text(std::string value) {
    FakeElement element;
    element.role = "AXStaticText";
    element.value = std::move(value);
    return element;
}

FakeElement inboxWindow() {
    FakeElement list;
    list.role = "AXList";
    list.children = {text("Hello")};
    FakeElement window;
    window.role = "AXWindow";
    window.title = "Inbox";
    window.children = {list};
    return window;
}

TEST(ElementTreeText, IndentsRolesAndJoinsParts) {
    EXPECT_EQ(elementTreeText(*FakeAccessibility::makeElement(inboxWindow())),
              "[AXWindow] Title: Inbox\n  [AXList] \n    [AXStaticText] Value: Hello");

    FakeElement full;
    full.role = "AXButton";
    full.title = "Save";
    full.value = "Save";
    full.elementDescription = "Saves";
    full.help = "Writes the file";
    EXPECT_EQ(elementTreeText(*FakeAccessibility::makeElement(full), 1),
              "  [AXButton] Title: Save; Desc: Saves; Help: Writes the file");

    FakeElement numeric;
    numeric.value = "42";
    numeric.title = "";
    EXPECT_EQ(elementTreeText(*FakeAccessibility::makeElement(numeric)), "[UnknownRole] Value: 42");
}

TEST(ElementTreeText, SilentElementsWithoutTextBelowDropOut) {
    FakeElement empty;
    empty.role = "AXGroup";
    FakeElement emptyParent;
    emptyParent.role = "AXGroup";
    emptyParent.children = {empty, empty};
    FakeElement window;
    window.role = "AXWindow";
    window.children = {emptyParent, text("kept")};
    EXPECT_EQ(elementTreeText(*FakeAccessibility::makeElement(window)), "[AXWindow] \n  [AXStaticText] Value: kept");
    EXPECT_EQ(elementTreeText(*FakeAccessibility::makeElement(emptyParent)), "");
}

TEST(ElementTreeText, TheWalkIsBounded) {
    // A chain deeper than the depth limit.
    FakeElement chain = text("bottom");
    for (int i = 0; i < 100; ++i) {
        FakeElement parent = text("level");
        parent.children = {chain};
        chain = parent;
    }
    ElementTreeLimits limits;
    limits.maxDepth = 10;
    const std::string shallow = elementTreeText(*FakeAccessibility::makeElement(chain), 0, limits);
    EXPECT_EQ(std::count(shallow.begin(), shallow.end(), '\n'), 10);

    limits = {};
    limits.maxElements = 5;
    const std::string few = elementTreeText(*FakeAccessibility::makeElement(chain), 0, limits);
    EXPECT_EQ(std::count(few.begin(), few.end(), '\n'), 4);

    // A walk past its time allowance stops where it is.
    limits = {};
    limits.maxSeconds = -1;
    EXPECT_EQ(elementTreeText(*FakeAccessibility::makeElement(chain), 0, limits), "");

    // Once there is more text than the prompt carries, the rest is not read.
    FakeElement wide;
    wide.role = "AXList";
    for (int i = 0; i < 2000; ++i) {
        wide.children.push_back(text(std::string(50, 'w')));
    }
    const std::string cut = elementTreeText(*FakeAccessibility::makeElement(wide));
    EXPECT_GT(graphemeCount(cut), windowTreeCharacterLimit);
    EXPECT_LT(graphemeCount(cut), windowTreeCharacterLimit + 100);
    EXPECT_EQ(prefixGraphemes(cut, windowTreeCharacterLimit),
              prefixGraphemes(elementTreeText(*FakeAccessibility::makeElement(wide), 0,
                                              {64, 1000000, 60, 1000000, 5000}),
                              windowTreeCharacterLimit));
}

TEST(WindowContextPrompt, InstructionTreeAndOneSpace) {
    EXPECT_EQ(graphemeCount(windowContextInstruction), 524u);
    EXPECT_EQ(windowContextPrompt("[AXWindow] Title: A"),
              std::string(windowContextInstruction) + "[AXWindow] Title: A ");
    const std::string exact(15000, 'e');
    EXPECT_EQ(windowContextPrompt(exact), std::string(windowContextInstruction) + exact + " ");
    const std::string over = std::string(14999, 'o') + "é!";
    EXPECT_EQ(windowContextPrompt(over), std::string(windowContextInstruction) + std::string(14999, 'o') + "é... ");
}

TEST(WindowContextPrompt, SensitiveTitles) {
    EXPECT_TRUE(isSensitiveWindowTitle("Bank LOGIN"));
    EXPECT_TRUE(isSensitiveWindowTitle("Enter Password"));
    EXPECT_TRUE(isSensitiveWindowTitle("Authentication required"));
    EXPECT_FALSE(isSensitiveWindowTitle("Inbox"));
}

class WindowContextAnalysisTest : public ActivityMonitorFixture {
protected:
    WindowContextAnalysisTest() {
        workspace.setFrontmost(terminalApp);
        accessibility.setWindows(terminalApp.processIdentifier, {inboxWindow()});
    }

    std::shared_ptr<ActivityRecord> launchRecord() { return monitor->activityRecords->front(); }

    std::string sentPrompt(std::size_t index = 0) {
        const auto requests = gemini.requests();
        const auto body = nlohmann::json::parse(requests.at(index).body);
        return body.at("contents").at(0).at("parts").at(0).at("text").get<std::string>();
    }

    std::vector<ActivityRecordValue> savedRecords() {
        monitor->flushRecordFile();
        return ActivityRecordFile(recordFile).load().value_or(std::vector<ActivityRecordValue>{});
    }
};

TEST_F(WindowContextAnalysisTest, TheSummaryBecomesTheWindowTextAndIsSaved) {
    createMonitor();
    const auto record = launchRecord();
    ASSERT_TRUE(waitUntilNotPending(*record));
    EXPECT_EQ(record->windowText.get(), "A summary of the window.");
    ASSERT_EQ(gemini.requestCount(), 1u);
    EXPECT_EQ(sentPrompt(), std::string(windowContextInstruction) +
                                "[AXWindow] Title: Inbox\n  [AXList] \n    [AXStaticText] Value: Hello ");
    EXPECT_TRUE(logged("🧠 Requesting UI tree for Terminal for Gemini analysis..."));
    EXPECT_TRUE(logged("✨ Sending prompt to Gemini for Terminal. Prompt length: " +
                       std::to_string(graphemeCount(sentPrompt())) + " chars."));
    EXPECT_TRUE(logged("✅ Gemini analysis successful for Terminal. Response:\nA summary of the window."));
    const auto saved = savedRecords();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].windowText, "A summary of the window.");
}

TEST_F(WindowContextAnalysisTest, ALongReplyIsLoggedCutButStoredWhole) {
    const std::string reply = std::string(499, 'r') + "éxyz";
    setGeminiText(reply);
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    EXPECT_EQ(launchRecord()->windowText.get(), reply);
    EXPECT_TRUE(logged("✅ Gemini analysis successful for Terminal. Response:\n" + std::string(499, 'r') + "é..."));
}

TEST_F(WindowContextAnalysisTest, AHugeReplyIsStoredCutTo64KiBOnACharacterBoundary) {
    std::string huge = "x";
    for (int i = 0; i < 50000; ++i) huge += "é"; // two bytes each: an even cut would split one
    const std::string stored = "x" + huge.substr(1, 65532) + "...";
    ASSERT_EQ(stored.size(), 65536u);
    setGeminiText(huge);
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    // Compared whole but not printed whole.
    EXPECT_TRUE(launchRecord()->windowText.get() == stored) << launchRecord()->windowText->size() << " bytes";
    EXPECT_TRUE(savedRecords().at(0).windowText == stored);

    // A file written before the cap shrinks when it is read.
    monitor->flushRecordFile();
    monitor.reset();
    ActivityRecordFile(recordFile).save({{UUID::random(), "Editor", loop->now().addingTimeInterval(-60), 30, 10, huge}});
    createMonitor();
    EXPECT_TRUE(monitor->activityRecords->back()->windowText.get() == stored);
}

TEST_F(WindowContextAnalysisTest, ALongTreeIsCutTo15000Characters) {
    FakeElement window;
    window.role = "AXWindow";
    for (int i = 0; i < 400; ++i) {
        window.children.push_back(text(std::string(60, 'a' + i % 26)));
    }
    accessibility.setWindows(terminalApp.processIdentifier, {window});
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    const std::string prompt = sentPrompt();
    EXPECT_EQ(graphemeCount(prompt), 524u + 15000u + 3u + 1u);
    EXPECT_EQ(prompt.substr(prompt.size() - 4), "... ");
}

TEST_F(WindowContextAnalysisTest, SensitiveWindowsAreNeverSent) {
    FakeElement window = inboxWindow();
    window.title = "Sign in - Password";
    accessibility.setWindows(terminalApp.processIdentifier, {window});
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    EXPECT_EQ(launchRecord()->windowText.get(), "No UI content accessible");
    EXPECT_TRUE(logged("🤷 No UI tree data to analyze for Terminal."));
    EXPECT_EQ(gemini.requestCount(), 0u);
    EXPECT_EQ(savedRecords().at(0).windowText, "No UI content accessible");
}

TEST_F(WindowContextAnalysisTest, TheLoginWindowIsNeverRead) {
    const RunningApplication login{"LoginWindow", 9, "loginwindow"};
    accessibility.setWindows(login.processIdentifier, {inboxWindow()});
    workspace.setFrontmost(login);
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    EXPECT_EQ(launchRecord()->windowText.get(), "No UI content accessible");
    EXPECT_EQ(gemini.requestCount(), 0u);
}

TEST_F(WindowContextAnalysisTest, AnApplicationThatLostTheFrontIsSkipped) {
    workspace.setFrontmost(std::nullopt);
    createMonitor();
    monitor->recordAppSwitch(terminalApp);
    const auto record = launchRecord();
    workspace.setFrontmost(editorApp);
    ASSERT_TRUE(waitUntilNotPending(*record));
    EXPECT_EQ(record->windowText.get(), "Context not available (app not frontmost)");
    EXPECT_TRUE(logged("🌬️ Skipping Gemini analysis: App Terminal is no longer frontmost or doesn't match record."));
    EXPECT_EQ(gemini.requestCount(), 0u);

    // A text that is not pending stays.
    record->windowText = "Earlier summary";
    runBlocking(*loop, monitor->analyzeWindowContext(record), 10);
    EXPECT_EQ(record->windowText.get(), "Earlier summary");
}

// Holds every window read until released (or for 5 s at most), and notes the reading thread.
class GatedAccessibility : public Accessibility {
public:
    bool isProcessTrusted(bool) override { return true; }
    std::shared_ptr<AccessibilityElement> firstWindowOfApplication(int) override {
        std::unique_lock lock(mutex_);
        readerThread_ = std::this_thread::get_id();
        reading_ = true;
        changed_.wait_for(lock, std::chrono::seconds(5), [this] { return released_; });
        return FakeAccessibility::makeElement(inboxWindow());
    }
    std::shared_ptr<AccessibilityElement> applicationElement(int) override { return nullptr; }

    void release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    bool isReading() const {
        const std::lock_guard lock(mutex_);
        return reading_;
    }
    std::thread::id readerThread() const {
        const std::lock_guard lock(mutex_);
        return readerThread_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool reading_ = false;
    bool released_ = false;
    std::thread::id readerThread_;
};

TEST_F(WindowContextAnalysisTest, TheTreeIsReadOffTheMainThreadWhileTheLoopGoesOn) {
    GatedAccessibility gated;
    // Even when an assertion ends the test early, the reader must be done with `gated` first.
    struct AtExit {
        std::function<void()> run;
        ~AtExit() { run(); }
    } const finish{[&] {
        gated.release();
        EXPECT_TRUE(waitFor([&] { return !monitor || monitor->runningAnalyses() == 0; }));
    }};
    ActivityMonitor::Services gatedServices = services();
    gatedServices.accessibility = &gated;
    monitor = ActivityMonitor::create(gatedServices);
    monitor->startMonitoring();

    ASSERT_TRUE(waitFor([&] { return gated.isReading(); }));
    EXPECT_NE(gated.readerThread(), std::this_thread::get_id());
    // The main loop keeps counting time while the window is being read.
    loop->advance(5);
    EXPECT_EQ(launchRecord()->duration.get(), 5);
    EXPECT_EQ(launchRecord()->windowText.get(), "Context analysis pending...");

    gated.release();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    EXPECT_EQ(launchRecord()->windowText.get(), "A summary of the window.");
}

TEST_F(WindowContextAnalysisTest, AReplyWithoutTextIsAFailedAnalysis) {
    ServerReply reply;
    reply.headers = {{"Content-Type", "application/json"}};
    reply.body = R"({"candidates":[]})";
    setGeminiReply(reply);
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    EXPECT_EQ(launchRecord()->windowText.get(), "AI analysis failed to produce text.");
    EXPECT_TRUE(logged("⚠️ Gemini response was empty or nil for Terminal."));
}

TEST_F(WindowContextAnalysisTest, AServerErrorIsStoredCutAtHundredCharacters) {
    ServerReply reply;
    reply.status = 500;
    reply.headers = {{"Content-Type", "application/json"}};
    reply.body = R"({"error":{"code":500,"message":")" + std::string(300, 'z') +
                 R"(","status":"INTERNAL"}})";
    setGeminiReply(reply);
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    const std::string& stored = launchRecord()->windowText.get();
    EXPECT_EQ(stored.rfind("AI analysis error: ", 0), 0u);
    EXPECT_EQ(graphemeCount(stored), 19u + 100u + 3u);
    EXPECT_EQ(stored.substr(stored.size() - 3), "...");
    EXPECT_EQ(savedRecords().at(0).windowText, stored);
}

TEST_F(WindowContextAnalysisTest, WithoutAKeyNothingIsSentAndTheRecordSaysWhy) {
    ServiceConfiguration::forgetReportsForTesting();
    apiKey.clear();
    createMonitor();
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    EXPECT_THAT(launchRecord()->windowText.get(), HasSubstr("AI analysis error: Invalid API key"));
    EXPECT_EQ(gemini.requestCount(), 0u);
    EXPECT_TRUE(loggedPrefix("⚠️ GEMINI_API_KEY is not set"));
    for (const std::string& line : logs()) {
        EXPECT_EQ(line.find("test-key"), std::string::npos);
    }
}

TEST_F(WindowContextAnalysisTest, ThePendingNewestRecordIsAnalysedAgainEveryMinute) {
    accessibility.setTrusted(true);
    ServerReply hold;
    hold.status = 503;
    setGeminiReply(hold);
    workspace.setFrontmost(std::nullopt);
    createMonitor();
    monitor->startMonitoring();
    monitor->recordAppSwitch(terminalApp);
    loop->runUntilIdle();
    const auto record = launchRecord();
    EXPECT_EQ(record->windowText.get(), "Context not available (app not frontmost)");
    record->windowText = "";
    workspace.setFrontmost(terminalApp);
    setGeminiText("Later summary");
    loop->advance(60);
    EXPECT_TRUE(logged("⏱️ Periodic analysis triggered for Terminal"));
    ASSERT_TRUE(waitFor([&] { return record->windowText.get() == "Later summary"; }));
    EXPECT_EQ(gemini.requestCount(), 1u);

    loop->advance(60); // a record with a summary is not analysed again
    loop->runUntilIdle();
    EXPECT_EQ(gemini.requestCount(), 1u);
}

TEST_F(WindowContextAnalysisTest, EveryNewRecordIsAnalysedButAWaitingOneNotTwice) {
    accessibility.setTrusted(true);
    ServerReply slow;
    slow.headers = {{"Content-Type", "application/json"}};
    slow.body = R"({"candidates":[{"content":{"role":"model","parts":[{"text":"Slow summary"}]}}]})";
    slow.stallSeconds = 0.5;
    setGeminiReply(slow);
    createMonitor();
    monitor->startMonitoring();
    ASSERT_TRUE(waitFor([&] { return gemini.requestCount() == 1; }));
    loop->advance(120); // the launch record's request is still out: not asked again
    EXPECT_FALSE(loggedPrefix("⏱️ Periodic analysis triggered"));

    // A new record of the same application, left before the next tick, gets its own analysis.
    monitor->recordAppSwitch(editorApp);
    monitor->recordAppSwitch(terminalApp);
    ASSERT_TRUE(waitUntilNotPending(*launchRecord()));
    EXPECT_EQ(launchRecord()->windowText.get(), "Slow summary");
    ASSERT_TRUE(waitUntilNotPending(*monitor->activityRecords->at(2)));
    EXPECT_EQ(gemini.requestCount(), 2u);
}

} // namespace
} // namespace glimmo::testing
