#include "tests/ui/Panels/PanelsFixture.h"

#include "analysis/ContentViewModel.h"
#include "analysis/JournalPromptCache.h"
#include "app/ActivityDataManager.h"
#include "platform/desktop/fakes/FakeUpdater.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "ui/Panels/DataClearing.h"
#include "ui/Panels/DockIcon.h"
#include "ui/Panels/PreferencesView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace glimmo::testing {
namespace {

constexpr CGSize windowSize{500, 400};

class PreferencesViewTest : public PanelsFixture {
protected:
    PreferencesViewTest() {
        resetCategoryChangeObserver();
        // The view observes the default centre, so the model posts there.
        PreferencesModel::setShared(std::make_shared<PreferencesModel>(UserDefaults::standard(), NotificationCenter::defaultCenter()));
    }
    ~PreferencesViewTest() override { resetCategoryChangeObserver(); }

    AnyView preferencesView() {
        auto made = updater;
        return AnyView(PreferencesView(reader, monitor, [made] { return made; })).environmentObject(service);
    }

    // Something in each of the places that clearing empties.
    void storeData() {
        ActivityDataManager::shared().savePromptResponse(R"({"categories":[{"type":"Create","apps":"Editor"}]})",
                                                         "2026-12-07");
        world.addRecord("Editor", onThe7th(10), 600);
        (void)service->unifiedActivities(onThe7th(0), onThe7th(15));
        JournalPromptCache::shared().saveResponse("- **Work**", onThe7th(10));
        PreferencesModel::shared()->addHistoricalActivities({Activity{UUID::random(), "Editing", 600, onThe7th(10), {}}},
                                                           "2026-12-07");
        writeFileAtomically(reader->destinationPath(), "history copy");
    }
    bool storeFileExists() const {
        const auto path = ActivityDataManager::shared().dataFilePath();
        return path && std::filesystem::exists(*path);
    }
    bool historyRemembered() const { return !PreferencesModel::shared()->historicalActivities->empty(); }
    bool everythingCleared() const {
        return !storeFileExists() && monitor->activityRecords->empty() && service->cachedActivities.empty() &&
               !UserDefaults::standard().contains("journalPromptCache") && !historyRemembered() &&
               !std::filesystem::exists(reader->destinationPath());
    }
    // A category change clears what was worked out with the categories, not the records.
    bool analysesCleared() const {
        return !storeFileExists() && !historyRemembered() && !monitor->activityRecords->empty() &&
               service->cachedActivities.empty() && !UserDefaults::standard().contains("journalPromptCache");
    }
    bool nothingCleared() const {
        return storeFileExists() && !monitor->activityRecords->empty() && !service->cachedActivities.empty() &&
               UserDefaults::standard().contains("journalPromptCache") && historyRemembered() &&
               std::filesystem::exists(reader->destinationPath());
    }
    long clearLogLines() const {
        const auto lines = world.logs();
        return std::count(lines.begin(), lines.end(), "All application data cleared due to category change via notification.");
    }
    void clickText(TestHost& t, const std::string& exact) {
        for (const auto& line : shownTexts(drawn(t))) {
            if (line.text == exact) {
                t.clickAt({line.origin.x + 2, line.origin.y + 5});
                settle(t);
                return;
            }
        }
        FAIL() << "no text " << exact;
    }
    std::vector<std::string> categoryNames() const {
        std::vector<std::string> names;
        for (const auto& c : PreferencesModel::shared()->categories.get()) names.push_back(c.name);
        return names;
    }

    std::shared_ptr<FakeUpdater> updater = std::make_shared<FakeUpdater>();
};

TEST_F(PreferencesViewTest, AddingACategoryOfBlanksAddsItAsTypedAndClearsTheDataOnce) {
    { auto earlier = host(preferencesView(), windowSize); } // an earlier opening of the window
    auto t = host(preferencesView(), windowSize);
    EXPECT_TRUE(shows(drawn(*t), "Create"));
    storeData();
    ASSERT_TRUE(nothingCleared());
    t->click("positive"); // off
    t->click("add");
    EXPECT_EQ(categoryNames().size(), 3u) << "Add is disabled while the field is empty";
    t->click("new category");
    typeText(*t, "  ");
    t->click("add");
    settle(*t);
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Create", "Consume", "Communicate", "  "}));
    EXPECT_FALSE(PreferencesModel::shared()->categories->back().isPositive);
    EXPECT_TRUE(analysesCleared());
    EXPECT_EQ(clearLogLines(), 1) << "one observer however often the window was opened";
    // The field is empty again and the toggle kept its state.
    t->click("new category");
    typeText(*t, "Learn");
    t->click("add");
    EXPECT_FALSE(PreferencesModel::shared()->categories->back().isPositive);
    EXPECT_EQ(PreferencesModel::shared()->categories->back().name, "Learn");
    EXPECT_EQ(clearLogLines(), 2);
}

TEST_F(PreferencesViewTest, TheRowsTrashButtonDeletesThatCategoryAndClears) {
    auto t = host(preferencesView(), windowSize);
    storeData();
    const auto dashboard = std::make_shared<ContentViewModel>(service);
    runBlocking(*loop, dashboard->refreshAnalysis(), 20);
    loop->runUntilIdle();
    ASSERT_EQ(dashboard->activityBreakdown->size(), 1u);
    t->click("delete Consume");
    settle(*t);
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Create", "Communicate"}));
    EXPECT_TRUE(analysesCleared());
    EXPECT_EQ(clearLogLines(), 1);
    EXPECT_FALSE(shows(drawn(*t), "Consume"));
    // The open dashboard no longer shows the analysis that was deleted; the day's time stays.
    EXPECT_TRUE(dashboard->activityBreakdown->empty());
    EXPECT_EQ(dashboard->totalComputerTime.get(), 600);
}

TEST_F(PreferencesViewTest, ResetGivesNewIdsAndKeepsTheData) {
    auto t = host(preferencesView(), windowSize);
    const auto before = PreferencesModel::shared()->categories.get();
    storeData();
    t->click("reset");
    const auto after = PreferencesModel::shared()->categories.get();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Create", "Consume", "Communicate"}));
    EXPECT_TRUE(after[0].isPositive && !after[1].isPositive && after[2].isPositive);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NE(after[i].id, before[i].id);
    EXPECT_TRUE(nothingCleared());
    EXPECT_EQ(clearLogLines(), 0);
    EXPECT_TRUE(UserDefaults::standard().contains("categories"));
}

TEST_F(PreferencesViewTest, SettingsChooseThePanelAndTheDockIconAndCheckForUpdates) {
    UserDefaults::standard().remove("hideDockIcon");
    applyDockIconRule(false);
    auto t = host(preferencesView(), windowSize);
    EXPECT_EQ(currentActivationPolicy(), ActivationPolicy::accessory) << "an absent key applies what the toggle shows";
    clickText(*t, "Settings");
    for (const char* name : {"Classic", "Modern", "Journal", "None", "Weekly Graph", "App Focus", "Media Digest", "Coming Soon"}) {
        EXPECT_TRUE(shows(drawn(*t), name)) << name;
    }
    const CGRect row = t->frame("panel Media Digest");
    t->clickAt({row.maxX() - 2, row.midY()});
    settle(*t);
    EXPECT_EQ(UserDefaults::standard().string("selectedBottomComponent"), "Media Digest");
    clickText(*t, "Coming Soon");
    EXPECT_EQ(UserDefaults::standard().string("selectedBottomComponent"), "Coming Soon");

    t->click("hide dock icon"); // shown on while the key is absent: turns it off
    settle(*t);
    EXPECT_EQ(UserDefaults::standard().boolean("hideDockIcon"), false);
    EXPECT_EQ(currentActivationPolicy(), ActivationPolicy::regular);
    t->click("hide dock icon");
    settle(*t);
    EXPECT_EQ(UserDefaults::standard().boolean("hideDockIcon"), true);
    EXPECT_EQ(currentActivationPolicy(), ActivationPolicy::accessory);

    clickText(*t, "Modern");
    EXPECT_EQ(PreferencesModel::shared()->viewStyle.get(), ViewStyle::modern);

    t->click("check for updates");
    EXPECT_EQ(updater->checkCount(), 1);
}

TEST_F(PreferencesViewTest, ClearAllDataAsksFirstAndOnlyClearClears) {
    auto t = host(preferencesView(), windowSize);
    clickText(*t, "Settings");
    storeData();
    const auto dashboard = std::make_shared<ContentViewModel>(service);
    runBlocking(*loop, dashboard->refreshAnalysis(), 20);
    loop->runUntilIdle();
    ASSERT_EQ(dashboard->activityBreakdown->size(), 1u);
    t->click("clear all data");
    EXPECT_TRUE(shows(drawn(*t), "This will delete all stored activity"));
    clickText(*t, "Cancel");
    EXPECT_TRUE(nothingCleared());
    EXPECT_FALSE(shows(drawn(*t), "This will delete all stored activity"));
    t->click("clear all data");
    clickText(*t, "Clear");
    EXPECT_TRUE(everythingCleared());
    EXPECT_EQ(clearLogLines(), 0) << "the button path writes no log line";
    // The open dashboard shows the empty day at once.
    EXPECT_TRUE(dashboard->activityBreakdown->empty());
    EXPECT_EQ(dashboard->totalComputerTime.get(), 0);
    EXPECT_EQ(dashboard->shownFocusScore(), ContentViewModel::noGrade);
    EXPECT_TRUE(std::none_of(dashboard->weekData->begin(), dashboard->weekData->end(), [](const auto& day) { return day.has_value(); }));
}

TEST_F(PreferencesViewTest, Screenshots) {
    expectGalleryShot(preferencesView(), windowSize, "panels-preferences-categories", loop);
    PreferencesView settings(reader, monitor, [made = updater] { return made; });
    settings.selectedTab.set(1);
    expectGalleryShot(AnyView(settings).environmentObject(service), windowSize, "panels-preferences-settings", loop);
}

} // namespace
} // namespace glimmo::testing
