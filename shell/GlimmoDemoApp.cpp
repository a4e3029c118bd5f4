#include "shell/GlimmoDemoApp.h"

#include "analysis/JournalPromptCache.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/TimeFormatting.h"
#include "app/UnifiedActivityService.h"
#include "platform/desktop/DisplayLoss.h"
#include "platform/desktop/Updater.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Task.h"
#include "platform/scenes/AssetCatalog.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "shell/MainViews.h"

#include <chrono>
#include <memory>

namespace glimmo {
namespace {

// How long a quit waits for the work it cancelled to end.
constexpr double cancelledWorkSeconds = 2;

// Cancels every task still running and runs the main loop until no task waits for an outcome and what
// their endings posted has run, or the time is up. A task that is never resumed keeps its frames, and
// whatever they hold, to the end of the process.
GlimmoDemoApp::CancelledWorkEnding letCancelledWorkEnd() {
    using Ending = GlimmoDemoApp::CancelledWorkEnding;
    // Once the display is lost the loop dispatches nothing but the watch on it.
    if (!RunLoop::hasMain() || isDisplayLost()) return Ending::notWaited;
    RunLoop& loop = RunLoop::main();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(cancelledWorkSeconds);
    const auto secondsLeft = [&] { return std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count(); };
    for (;;) {
        // Again each round: an ending may start more work.
        cancelAllTasks();
        if (!loop.driveUntil([] { return pendingContinuationCount() == 0; }, secondsLeft())) return Ending::timeRanOut;
        const auto ran = std::make_shared<bool>(false);
        loop.post([ran] { *ran = true; });
        if (!loop.driveUntil([&] { return *ran; }, secondsLeft())) return Ending::timeRanOut;
        if (pendingContinuationCount() == 0) return Ending::nothingPending;
    }
}

} // namespace

GlimmoDemoApp::GlimmoDemoApp() : GlimmoDemoApp(Dependencies{}) {}

GlimmoDemoApp::GlimmoDemoApp(Dependencies dependencies)
    : dependencies_(std::move(dependencies)),
      clock_(dependencies_.clock ? *dependencies_.clock : RunLoop::main().clock()) {
    // The delegate adaptor is made first (it is the first member); both caches start empty and the
    // tab at 0. The start line comes before any service logs its own.
    logWithTime("⭐️ GlimmoDemo started at ");
    updaterController = dependencies_.makeUpdaterController ? dependencies_.makeUpdaterController()
                                                            : std::make_shared<StandardUpdaterController>(true);
    chromeReader = dependencies_.makeChromeReader ? dependencies_.makeChromeReader()
                                                  : std::make_shared<ChromeHistoryReader>();
    activityMonitor = dependencies_.makeActivityMonitor ? dependencies_.makeActivityMonitor() : ActivityMonitor::create();
    activityMonitor->startMonitoring();
    unifiedActivityService = std::make_shared<UnifiedActivityService>(activityMonitor, chromeReader,
                                                                      PreferencesModel::shared(), clock_);
    // A settings file that an earlier version filled with journals is written within the budget now.
    JournalPromptCache::shared().startStoringWithinBudget();
}

GlimmoDemoApp::~GlimmoDemoApp() {
    // The application object goes when the application quits (the Quit command or a termination
    // signal): the time since the last write would be lost with it.
    if (activityMonitor) activityMonitor->applicationWillTerminate();
    // The views went first and cancelled their tasks; what they started on their own (a chat's answer, a
    // day step's refresh in the journal) and the shared downloads are cancelled here. Each holds its
    // model and, through it, the services until it ends.
    const CancelledWorkEnding ending = letCancelledWorkEnd();
    if (dependencies_.cancelledWorkEnded) dependencies_.cancelledWorkEnded(ending);
}

std::vector<Scene> GlimmoDemoApp::body() {
    MenuBarExtra menuBar{
        .title = name,
        .style = MenuBarExtraStyle::window,
        .label = menuBarLabel(),
        .content = [this] {
            return AnyView(VStack(HorizontalAlignment::center(), std::nullopt, {menuBarContent()}));
        },
    };
    SettingsScene settings{.content = [this] { return preferencesContent(); }};
    WindowScene preferencesWindow{
        .title = preferencesWindowID,
        .id = preferencesWindowID,
        .content = [this] { return preferencesContent(); },
    };
    WindowGroup commandsCarrier{
        .content = [] { return AnyView(EmptyView()); },
        .commands = {CommandGroup{
            .placement = CommandGroupPlacement::appInfo,
            .buttons = {CommandButton{
                .title = checkForUpdatesTitle,
                .shortcut = KeyboardShortcut{.key = 'u', .command = true, .shift = true},
                .action = [this] { updaterController->checkForUpdates(); },
            }},
        }},
    };
    return {std::move(menuBar), std::move(settings), std::move(preferencesWindow), std::move(commandsCarrier)};
}

AnyView GlimmoDemoApp::menuBarContent() {
    if (content_view_) {
        return content_view_->onAppear([this] {
            logWithTime("📱 MenuBar clicked 2 at ");
            chromeReader->copyAndLoadHistory();
        });
    }
    return newContentView().onAppear([this] {
        logWithTime("📱 MenuBar clicked at ");
        chromeReader->copyAndLoadHistory();
        content_view_ = newContentView();
        preferences_view_ = newPreferencesView();
    });
}

AnyView GlimmoDemoApp::preferencesContent() {
    if (preferences_view_) return preferences_view_->environmentObject(unifiedActivityService);
    return newPreferencesView().environmentObject(unifiedActivityService).onAppear([this] {
        preferences_view_ = newPreferencesView();
    });
}

MenuBarExtraLabel GlimmoDemoApp::menuBarLabel() {
    MenuBarExtraLabel label;
    label.image = assetImage(labelImageName);
    label.isTemplate = label.image != nullptr;
    label.size = {18, 18};
    return label;
}

AnyView GlimmoDemoApp::newContentView() const {
    if (dependencies_.makeContentView) return dependencies_.makeContentView();
    return makeContentView(PreferencesModel::shared(), chromeReader, activityMonitor, unifiedActivityService);
}

AnyView GlimmoDemoApp::newPreferencesView() const {
    if (dependencies_.makePreferencesView) return dependencies_.makePreferencesView();
    return makePreferencesView(chromeReader, activityMonitor);
}

void GlimmoDemoApp::logWithTime(const std::string& prefix) const { systemLog(prefix + mediumTimeString(clock_.now())); }

} // namespace glimmo
