#pragma once

// The application object on the fake desktop services and a virtual-time loop: a record file, a
// browser history file and user defaults in a fresh folder, a Gemini endpoint on a loopback server, a
// counting updater, and views that count how often they are built.

#include "app/ActivityRecordFile.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/TimeFormatting.h"
#include "platform/desktop/fakes/FakeUpdater.h"
#include "platform/desktop/fakes/FakeUserNotificationCenter.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/scenes/Application.h"
#include "platform/view/Text.h"
#include "shell/GlimmoDemoApp.h"
#include "HostedContent.h"
#include "tests/app/ActivityMonitorTestSupport.h"
#include "tests/app/SyntheticHistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace glimmo::testing {

class GlimmoDemoAppFixture : public ActivityMonitorFixture {
protected:
    GlimmoDemoAppFixture() {
        Application::shared().resetForTesting();
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        // The application's settings, the journal cache's among them, in the test's folder.
        UserDefaults::setStandard(defaultsFile);
        PreferencesModel::setShared(std::make_shared<PreferencesModel>(defaults, notifications));
        UserNotificationCenter::setShared(notificationCenter);
        std::filesystem::create_directories(historyCopy.parent_path());
    }

    ~GlimmoDemoAppFixture() override {
        hosts.clear();
        if (app) monitor = app->activityMonitor; // the base waits for its analyses before releasing it
        app.reset();
        PreferencesModel::setShared(nullptr);
        UserDefaults::setStandard(nullptr);
        UserNotificationCenter::setShared(nullptr);
        Application::shared().resetForTesting();
        ChromeHistoryReader::resetLastLoadTimeForTesting();
    }

    GlimmoDemoApp::Dependencies dependencies() {
        GlimmoDemoApp::Dependencies deps;
        deps.clock = &loop->clock();
        deps.makeUpdaterController = [this] { return updater; };
        deps.makeChromeReader = [this] {
            return std::make_shared<ChromeHistoryReader>(loop->clock(), workspace, historySource, historyCopy);
        };
        deps.makeActivityMonitor = [this] { return ActivityMonitor::create(services()); };
        deps.makeContentView = [this] { return labelled("content " + std::to_string(++contentViewsBuilt)); };
        deps.makePreferencesView = [this] {
            return labelled("preferences " + std::to_string(++preferencesViewsBuilt));
        };
        return deps;
    }

    static AnyView labelled(const std::string& text) { return Text(text).accessibilityLabel(text); }

    void makeApp() {
        app = std::make_unique<GlimmoDemoApp>(dependencies());
        loop->runUntilIdle();
    }

    // Builds the scene's content as its window does on opening and brings it on screen (its
    // appearance actions run). Returns the labels it shows.
    std::vector<std::string> show(const std::function<AnyView()>& content) {
        auto host = std::make_unique<HostedContent>(content());
        loop->runUntilIdle();
        auto labels = host->labels();
        hosts.push_back(std::move(host));
        return labels;
    }

    std::vector<std::string> openMenuBarWindow() { return show(std::get<MenuBarExtra>(app->body()[0]).content); }
    std::vector<std::string> openSettings() { return show(std::get<SettingsScene>(app->body()[1]).content); }
    std::vector<std::string> openPreferencesWindow() { return show(std::get<WindowScene>(app->body()[2]).content); }

    std::size_t countLines(const std::string& line) {
        const auto lines = logs();
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
    }
    std::size_t countPrefix(const std::string& prefix) {
        const auto lines = logs();
        return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind(prefix, 0) == 0;
        }));
    }
    std::string at(const std::string& prefix) { return prefix + mediumTimeString(loop->now()); }

    std::shared_ptr<UserDefaults> defaultsFile = std::make_shared<UserDefaults>(directory.path() / "defaults.json");
    UserDefaults& defaults = *defaultsFile;
    NotificationCenter notifications;
    std::shared_ptr<FakeUserNotificationCenter> notificationCenter = std::make_shared<FakeUserNotificationCenter>();
    std::shared_ptr<FakeUpdater> updater = std::make_shared<FakeUpdater>();
    std::filesystem::path historySource = directory.path() / "chrome" / "History";
    std::filesystem::path historyCopy = directory.path() / "private" / ChromeHistoryReader::copyFileName;
    int contentViewsBuilt = 0;
    int preferencesViewsBuilt = 0;
    std::vector<std::unique_ptr<HostedContent>> hosts;
    std::unique_ptr<GlimmoDemoApp> app;
};

} // namespace glimmo::testing
