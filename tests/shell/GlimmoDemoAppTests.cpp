#include "ShellTestSupport.h"

#include "analysis/ChatViewModel.h"
#include "analysis/ContentViewModel.h"
#include "analysis/JournalPromptCache.h"
#include "analysis/ShownDayWork.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Json.h"
#include "app/ActivityDataManager.h"
#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "RemoteImage/ImageLoadingSession.h"
#include "RemoteImage/RemoteImage.h"
#include "tests/support/ScopedEnvironment.h"
#include "ui/Panels/JournalContentView.h"

#include "app/ActivityMonitor.h"
#include "app/UnifiedActivityService.h"
#include "platform/scenes/SceneRunner.h"
#include "platform/window/Menu.h"
#include "shell/MainViews.h"

#include <gmock/gmock.h>

#include <array>
#include <filesystem>

namespace glimmo::testing {
namespace {

using ::testing::ElementsAre;

class GlimmoDemoAppTest : public GlimmoDemoAppFixture {
protected:
    bool historyLoaded() {
        return waitFor([this] { return !app->chromeReader->isLoading(); });
    }
};

// Records the unified activity service it finds in its environment.
struct ServiceProbe : View<ServiceProbe> {
    explicit ServiceProbe(std::shared_ptr<UnifiedActivityService>* seen) : seen(seen) {}
    std::shared_ptr<UnifiedActivityService>* seen;
    EnvironmentObject<UnifiedActivityService> service;
    AnyView body() const {
        *seen = service.get();
        return AnyView(Text("probe"));
    }
};

TEST_F(GlimmoDemoAppTest, StartLineComesFirstThenTheServicesStart) {
    workspace.setFrontmost(terminalApp);
    accessibility.setTrusted(true);
    bool recordFileExistedAtStartLine = true;
    std::vector<std::string> order;
    setLogSinkForTesting([&](LogLevel, std::string_view line) {
        if (line.rfind("⭐️ GlimmoDemo started at ", 0) == 0) {
            recordFileExistedAtStartLine = std::filesystem::exists(recordFile);
        }
        order.emplace_back(line);
    });
    makeApp();
    setLogSinkForTesting({});

    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), at("⭐️ GlimmoDemo started at "));
    EXPECT_FALSE(recordFileExistedAtStartLine);
    const auto readerStart = std::find(order.begin(), order.end(), at("⭐️ history loaded started at "));
    const auto monitorStart = std::find(order.begin(), order.end(), at("⭐️ Activity started at "));
    ASSERT_NE(readerStart, order.end());
    ASSERT_NE(monitorStart, order.end());
    EXPECT_LT(readerStart, monitorStart);

    // The monitor was started (and, trusted, watches at once); its first record is on disk.
    EXPECT_GT(accessibility.trustCheckCount(), 0);
    EXPECT_FALSE(app->activityMonitor->needsAccessibilityPermission.get());
    ASSERT_EQ(app->activityMonitor->activityRecords.get().size(), 1U);
    app->activityMonitor->flushRecordFile();
    EXPECT_TRUE(std::filesystem::exists(recordFile));

    // The unified service works over the same monitor and reader; nothing is cached yet.
    EXPECT_EQ(app->unifiedActivityService->activityMonitor, app->activityMonitor);
    EXPECT_EQ(app->unifiedActivityService->chromeReader, app->chromeReader);
    EXPECT_EQ(app->unifiedActivityService->preferences, PreferencesModel::shared());
    EXPECT_TRUE(app->unifiedActivityService->cachedActivities.empty());
    EXPECT_FALSE(app->hasCachedContentView());
    EXPECT_FALSE(app->hasCachedPreferencesView());
    EXPECT_EQ(app->selectedPreferencesTab(), 0);
    // No history is read before the menu-bar window first opens.
    EXPECT_FALSE(ChromeHistoryReader::lastLoadTime().has_value());
}

TEST_F(GlimmoDemoAppTest, WithoutAnUpdaterGivenItMakesAStartedStandardController) {
    auto deps = dependencies();
    deps.makeUpdaterController = nullptr;
    app = std::make_unique<GlimmoDemoApp>(deps);
    const auto* controller = dynamic_cast<const StandardUpdaterController*>(app->updaterController.get());
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(controller->isStarted());
}

// Settings that an earlier version filled with journals past the cache's budget are written within it as
// the application starts, before any journal is saved.
TEST_F(GlimmoDemoAppTest, AnOlderSettingsFilePastTheJournalBudgetIsWrittenWithinItAtTheStart) {
    JournalCacheDictionary older;
    for (int day = 0; day < 26; ++day) {
        older[Calendar::current().startOfDay(loop->now().addingTimeInterval(-86400.0 * day))] =
            encodeJournalPromptResponse({std::string(60 * 1024, 'x'), loop->now()});
    }
    const std::string stored = encodeJournalCache(older);
    defaults.set("journalPromptCache", std::vector<std::uint8_t>(stored.begin(), stored.end()));
    const auto storedBytes = [this] { return base64Encode(*defaults.data("journalPromptCache")).size(); };
    ASSERT_GT(storedBytes(), JournalPromptCache::storedBytesBudget);
    makeApp();
    EXPECT_TRUE(waitFor([&] { return storedBytes() <= JournalPromptCache::storedBytesBudget; }));
}

TEST_F(GlimmoDemoAppTest, FirstOpeningLogsOnceAndFillsBothCachesLaterOpeningsReuseThem) {
    makeApp();
    const std::string firstLine = at("📱 MenuBar clicked at ");

    EXPECT_THAT(openMenuBarWindow(), ElementsAre("content 1"));
    EXPECT_EQ(countLines(firstLine), 1U);
    EXPECT_EQ(countPrefix("📱 MenuBar clicked 2 at "), 0U);
    EXPECT_TRUE(app->hasCachedContentView());
    EXPECT_TRUE(app->hasCachedPreferencesView());
    EXPECT_EQ(contentViewsBuilt, 2);     // the one shown and the one cached
    EXPECT_EQ(preferencesViewsBuilt, 1); // cached by the first opening

    loop->advance(30);
    EXPECT_THAT(openMenuBarWindow(), ElementsAre("content 2"));
    loop->advance(30);
    EXPECT_THAT(openMenuBarWindow(), ElementsAre("content 2"));
    EXPECT_EQ(countPrefix("📱 MenuBar clicked at "), 1U);
    EXPECT_EQ(countPrefix("📱 MenuBar clicked 2 at "), 2U);
    EXPECT_EQ(countLines(at("📱 MenuBar clicked 2 at ")), 1U);
    EXPECT_EQ(contentViewsBuilt, 2);
    EXPECT_EQ(preferencesViewsBuilt, 1);
}

TEST_F(GlimmoDemoAppTest, OpeningsReloadTheHistoryOnlyOnce600SecondsHavePassed) {
    std::filesystem::create_directories(historySource.parent_path());
    auto history = std::make_unique<SyntheticHistory>(historySource);
    history->add("https://example.com/one", "One", 1, loop->now().addingTimeInterval(-3600));
    makeApp();

    // The window's content is there at once; the history comes in later, on the main loop.
    HostedContent first(std::get<MenuBarExtra>(app->body()[0]).content());
    EXPECT_THAT(first.labels(), ElementsAre("content 1"));
    EXPECT_TRUE(app->chromeReader->isLoading());
    EXPECT_TRUE(app->chromeReader->historyItems.get().empty());
    ASSERT_TRUE(historyLoaded());
    ASSERT_EQ(app->chromeReader->historyItems.get().size(), 1U);

    history->add("https://example.com/two", "Two", 1, loop->now().addingTimeInterval(-60));
    loop->advance(300);
    openMenuBarWindow();
    loop->advance(299);
    openMenuBarWindow();
    EXPECT_FALSE(app->chromeReader->isLoading()) << "within 600 s of the load nothing is read";
    EXPECT_EQ(app->chromeReader->historyItems.get().size(), 1U);
    EXPECT_EQ(countPrefix("📱 MenuBar clicked 2 at "), 2U) << "the line is logged whether or not the load ran";

    loop->advance(2); // 601 s after the first load
    openMenuBarWindow();
    ASSERT_TRUE(historyLoaded());
    EXPECT_EQ(app->chromeReader->historyItems.get().size(), 2U);
    EXPECT_EQ(countPrefix("📱 MenuBar clicked 2 at "), 3U);
}

TEST_F(GlimmoDemoAppTest, AFailedHistoryLoadDoesNotStopTheOpeningOrItsCaches) {
    makeApp(); // no history file at all
    EXPECT_THAT(openMenuBarWindow(), ElementsAre("content 1"));
    ASSERT_TRUE(historyLoaded());
    EXPECT_TRUE(app->chromeReader->historyItems.get().empty());
    EXPECT_TRUE(app->hasCachedContentView());
    EXPECT_THAT(openMenuBarWindow(), ElementsAre("content 2"));
}

TEST_F(GlimmoDemoAppTest, SettingsBeforeTheMenuBarCachesAPreferencesViewThatTheFirstOpeningReplaces) {
    makeApp();

    // The settings scene builds a view to show and, on its appearance, another one for the cache.
    EXPECT_THAT(openSettings(), ElementsAre("preferences 1"));
    EXPECT_EQ(preferencesViewsBuilt, 2);
    EXPECT_TRUE(app->hasCachedPreferencesView());
    // The "preferences" window shares that cache.
    EXPECT_THAT(openPreferencesWindow(), ElementsAre("preferences 2"));
    EXPECT_EQ(preferencesViewsBuilt, 2);

    // The menu-bar window's first opening stores a new one even though one is cached.
    openMenuBarWindow();
    EXPECT_EQ(preferencesViewsBuilt, 3);
    EXPECT_THAT(openSettings(), ElementsAre("preferences 3"));
    EXPECT_THAT(openPreferencesWindow(), ElementsAre("preferences 3"));
    EXPECT_EQ(preferencesViewsBuilt, 3);

    // Later openings of the menu-bar window leave it alone.
    openMenuBarWindow();
    EXPECT_EQ(preferencesViewsBuilt, 3);
}

TEST_F(GlimmoDemoAppTest, ScenesInOrderWithTheirIdentifiersAndLabel) {
    makeApp();
    const std::vector<Scene> scenes = app->body();
    ASSERT_EQ(scenes.size(), 4U);
    const auto& menuBar = std::get<MenuBarExtra>(scenes[0]);
    EXPECT_EQ(menuBar.style, MenuBarExtraStyle::window);
    EXPECT_EQ(menuBar.label.size, (CGSize{18, 18}));
    ASSERT_NE(menuBar.label.image, nullptr) << "the bullseye asset ships with the application";
    EXPECT_TRUE(menuBar.label.isTemplate);
    EXPECT_DOUBLE_EQ(menuBar.label.image->pointWidth(), 18);
    EXPECT_TRUE(std::holds_alternative<SettingsScene>(scenes[1]));
    const auto& window = std::get<WindowScene>(scenes[2]);
    EXPECT_EQ(window.id, "preferences");
    EXPECT_EQ(window.title, "preferences");
    const auto& group = std::get<WindowGroup>(scenes[3]);
    ASSERT_EQ(group.commands.size(), 1U);
    EXPECT_EQ(group.commands[0].placement, CommandGroupPlacement::appInfo);
    ASSERT_EQ(group.commands[0].buttons.size(), 1U);
    EXPECT_EQ(group.commands[0].buttons[0].title, "Check for Updates...");
    EXPECT_THAT(show(group.content), ::testing::IsEmpty());
}

TEST_F(GlimmoDemoAppTest, ShiftCommandUChecksForUpdatesEveryTime) {
    makeApp();
    SceneRunner runner(app->body());
    EXPECT_TRUE(runner.performShortcut('u', true, true, false));
    EXPECT_TRUE(runner.performShortcut('U', true, true, false));
    EXPECT_EQ(updater->checkCount(), 2);

    EXPECT_FALSE(runner.performShortcut('u', true, false, false));
    EXPECT_FALSE(runner.performShortcut('u', false, true, false));
    EXPECT_FALSE(runner.performShortcut('u', true, true, true));
    EXPECT_EQ(updater->checkCount(), 2);

    // The same command is in the tray item's menu, with its shortcut shown.
    const auto menu = runner.makeContextMenu();
    ASSERT_FALSE(menu->items().empty());
    EXPECT_EQ(menu->items()[0].title, "Check for Updates...");
    EXPECT_EQ(menu->items()[0].keyEquivalent, "Shift+Ctrl+U");
    menu->items()[0].action();
    EXPECT_EQ(updater->checkCount(), 3);
}

TEST_F(GlimmoDemoAppTest, FinishedLaunchingSchedulesTheDailyReminderThroughTheDelegate) {
    notificationCenter->setAuthorizationStatus(AuthorizationStatus::authorized);
    makeApp();
    EXPECT_EQ(notificationCenter->addCount(), 0) << "nothing before launching has finished";

    Application::shared().finishLaunching();
    loop->runUntilIdle();
    const auto pending = notificationCenter->pendingRequests();
    ASSERT_EQ(pending.size(), 1U);
    EXPECT_EQ(pending[0].identifier, "dailyReminder");

    Application::shared().finishLaunching(); // launching finishes once
    loop->runUntilIdle();
    EXPECT_EQ(notificationCenter->addCount(), 1);
}

TEST_F(GlimmoDemoAppTest, PreferencesContentCarriesTheUnifiedServiceAsEnvironmentObject) {
    makeApp();
    std::shared_ptr<UnifiedActivityService> seen;
    auto deps = dependencies();
    deps.makePreferencesView = [&seen] { return AnyView(ServiceProbe(&seen)); };
    app.reset();
    app = std::make_unique<GlimmoDemoApp>(deps);
    openSettings();
    EXPECT_EQ(seen, app->unifiedActivityService);
}

} // namespace
} // namespace glimmo::testing

namespace glimmo::testing {
namespace {

TEST_F(GlimmoDemoAppTest, TheApplicationsOwnViewsOpenInTheMenuBarAndPreferencesWindows) {
    ASSERT_TRUE(mainViewsAreBuilt()) << "the windows still show the not-built-yet notices";
    auto deps = dependencies();
    deps.makeContentView = nullptr;
    deps.makePreferencesView = nullptr;
    app = std::make_unique<GlimmoDemoApp>(deps);
    loop->runUntilIdle();

    const auto settings = openSettings();
    openMenuBarWindow();
    openMenuBarWindow();
    EXPECT_EQ(countPrefix("📱 MenuBar clicked at "), 1U);
    EXPECT_EQ(countPrefix("📱 MenuBar clicked 2 at "), 1U);
    EXPECT_TRUE(app->hasCachedContentView());
    EXPECT_TRUE(app->hasCachedPreferencesView());
    for (const auto& label : settings) EXPECT_EQ(label.find("not built yet"), std::string::npos) << label;
}

} // namespace
} // namespace glimmo::testing

namespace glimmo::testing {
namespace {

// What is under way when the application quits, each waiting for something that does not come.
enum class InFlight { dayAnalysis, chatAnswer, journalDayStep, historyLoad, imageDownload };

class QuitTest : public GlimmoDemoAppTest, public ::testing::WithParamInterface<InFlight> {
protected:
    // Both AI services and the image server take requests and never answer; the monitor summarises the
    // front window; the day store and the defaults are in the test's folder.
    QuitTest() {
        environment.set("GEMINI_BASE_URL", gemini.baseURL());
        environment.set("GEMINI_API_KEY", apiKey);
        environment.set("OPENAI_BASE_URL", openAI.baseURL());
        environment.set("OPENAI_API_KEY", "test-openai-key");
        ServerReply silent;
        silent.stallSeconds = 60;
        setGeminiReply(silent);
        openAI.on("POST", "/v1/responses", [silent](const RecordedRequest&, ServerReply& reply) { reply = silent; });
        images.on("GET", "/photo.png", [silent](const RecordedRequest&, ServerReply& reply) { reply = silent; });
        UserDefaults::setStandard(defaultsFile);
        ActivityDataManager::setShared(std::make_shared<ActivityDataManager>(
            loop->clock(), [store = directory.path() / "support"]() -> std::optional<std::filesystem::path> { return store; }));
        workspace.setFrontmost(terminalApp);
        accessibility.setTrusted(true);
        FakeElement window;
        window.role = "AXWindow";
        window.title = "Inbox";
        accessibility.setWindows(terminalApp.processIdentifier, {window});
    }

    ~QuitTest() override {
        hosts.clear();
        app.reset();
        ActivityDataManager::setShared(nullptr);
        UserDefaults::setStandard(nullptr);
    }

    // The content view of the row. What the work under way would hold on to if it never ended goes into
    // `held`.
    AnyView content() {
        switch (GetParam()) {
        case InFlight::dayAnalysis: {
            const auto model = std::make_shared<ContentViewModel>(app->unifiedActivityService);
            held.push_back(model);
            return AnyView(Text("day").task([model] { return model->refreshAnalysis(); }));
        }
        case InFlight::chatAnswer: {
            const auto chat = std::make_shared<ChatViewModel>(app->unifiedActivityService, "TODAY");
            held.push_back(chat);
            return AnyView(Text("chat").onAppear([chat] {
                chat->currentInput = "What did I do?";
                chat->sendMessage();
            }));
        }
        case InFlight::journalDayStep:
        case InFlight::historyLoad:
            return AnyView(JournalContentView(app->chromeReader, app->activityMonitor, app->unifiedActivityService));
        case InFlight::imageDownload: {
            const auto session = remoteimage::makeImageLoadingSession(1 << 20, 1 << 20, 15, directory.path() / "images");
            held.push_back(session);
            const auto loader = std::make_shared<remoteimage::DefaultRemoteImageLoader>(
                std::make_shared<remoteimage::DefaultRemoteImageCache>(100), session, *loop);
            return remoteimage::remoteImageLoader(AnyView(remoteimage::RemoteImage(URL::parse(images.url("/photo.png")))),
                                                  loader);
        }
        }
        return AnyView(EmptyView());
    }

    bool askedFor(const LoopbackServer& server, const std::string& part, std::size_t times = 1) {
        return waitFor([&] {
            const auto requests = server.requests();
            return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(), [&](const RecordedRequest& request) {
                       return request.body.find(part) != std::string::npos;
                   })) >= times;
        });
    }

    // The row's work, started by opening the window, until it waits.
    void startTheWork() {
        openMenuBarWindow();
        switch (GetParam()) {
        case InFlight::dayAnalysis:
            ASSERT_TRUE(askedFor(gemini, "Unified Activity Report") && askedFor(gemini, "Inbox"));
            break;
        case InFlight::chatAnswer:
            ASSERT_TRUE(askedFor(openAI, "What did I do?"));
            break;
        case InFlight::journalDayStep:
            ASSERT_TRUE(askedFor(gemini, "Unified Activity Report")) << "today's analysis";
            ASSERT_TRUE(hosts.back()->click("previous day"));
            loop->advance(ShownDayWork::settleSeconds);
            ASSERT_TRUE(askedFor(gemini, "Unified Activity Report", 2)) << "the day before's, once the step ended today's";
            break;
        case InFlight::historyLoad:
            ASSERT_TRUE(hosts.back()->click("previous day"));
            loop->advance(ShownDayWork::settleSeconds);
            ASSERT_TRUE(app->chromeReader->isLoading()) << "the day step waits for the history";
            break;
        case InFlight::imageDownload:
            ASSERT_TRUE(waitFor([this] { return images.requestCount() == 1; }));
            break;
        }
    }

    // Visits enough for the load to outlast the quit, one a second back from now.
    void writeALargeHistory() {
        std::filesystem::create_directories(historySource.parent_path());
        SyntheticHistory history(historySource);
        history.execute("INSERT INTO urls(url, title, visit_count, last_visit_time) "
                        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
                        "SELECT 'https://site' || (i % 500) || '.example/page/' || i, 'Page ' || i, 1, " +
                        std::to_string(chromeTime(loop->now())) + " - i * 1000000 FROM n;");
    }

    ScopedEnvironment environment;
    LoopbackServer openAI;
    LoopbackServer images;
    std::vector<std::weak_ptr<const void>> held;
};

// A quit while work waits for a reply, a load or a download that does not come ends it all: the wait ends
// because nothing is pending any more, not at its time limit, and the models the work holds and the
// services they hold go with the application object. A question left unanswered is no failure.
TEST_P(QuitTest, EndsTheWorkUnderWayAndReleasesTheModelsAndTheServices) {
    if (GetParam() == InFlight::historyLoad) writeALargeHistory();
    std::optional<GlimmoDemoApp::CancelledWorkEnding> ending;
    auto deps = dependencies();
    deps.makeContentView = [this] { return content(); };
    deps.cancelledWorkEnded = [&ending](GlimmoDemoApp::CancelledWorkEnding how) { ending = how; };
    app = std::make_unique<GlimmoDemoApp>(deps);
    ASSERT_NO_FATAL_FAILURE(startTheWork());

    held.insert(held.end(), {app->activityMonitor, app->chromeReader, app->unifiedActivityService});
    hosts.clear();
    app.reset();
    EXPECT_EQ(ending, GlimmoDemoApp::CancelledWorkEnding::nothingPending);
    EXPECT_EQ(pendingContinuationCount(), 0U);
    for (const auto& each : held) EXPECT_TRUE(each.expired());
    EXPECT_EQ(countPrefix("Error fetching OpenAI response: "), 0U);
}

std::string rowName(const ::testing::TestParamInfo<InFlight>& row) {
    constexpr std::array names{"DayAnalysis", "ChatAnswer", "JournalDayStep", "HistoryLoad", "ImageDownload"};
    return names.at(static_cast<std::size_t>(row.param));
}

INSTANTIATE_TEST_SUITE_P(InFlight, QuitTest,
                         ::testing::Values(InFlight::dayAnalysis, InFlight::chatAnswer, InFlight::journalDayStep,
                                           InFlight::historyLoad, InFlight::imageDownload),
                         rowName);

} // namespace
} // namespace glimmo::testing
