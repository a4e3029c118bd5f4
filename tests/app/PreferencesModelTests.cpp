#include "app/PreferencesModel.h"

#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TemporaryDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glimmo {
namespace {

using ::testing::ElementsAre;

const std::string promptHead =
    "Analyze the following app and website usage data and categorize them into the following buckets:\n";
const std::string promptMiddle =
    "Also identify 3-5 specific activities the user was engaged in.\n\nReturn a structured response in this exact "
    "format:\n{\n  \"categories\": [";
const std::string promptTail = R"(
  ],
  "activities": [
    {
      "description": "activity description",
      "apps": ["app1", "app2"]
    }
  ]
}

Rules:
- Don't separate Chrome and websites, treat websites as apps
- Return only the JSON, no other text
- Don't include system login/logout screens
- If there isn't any data just say no activities detected and return categories with 0%
- Include 3-5 activities in the activities array
- Each activity should have a description and list of related apps
- Always include some activities
- You have to use emojies for at least 2 activities)";

std::string templateEntry(const std::string& name) {
    return "\n    {\n      \"type\": \"" + name + "\",\n      \"apps\": \"comma separated list of apps and websites\"\n    }";
}

class LogCapture {
public:
    LogCapture() {
        setLogSinkForTesting([this](LogLevel, std::string_view line) { lines.emplace_back(line); });
    }
    ~LogCapture() { setLogSinkForTesting({}); }
    std::vector<std::string> lines;
};

TEST(CategorizationPrompt, DefaultCategoriesExactText) {
    ASSERT_EQ(promptTail.size(), 557u);
    const std::string expected =
        promptHead +
        "Create is for creative tasks like making art, coding, or even writing a blog\n"
        "Consume is for consuming content like reading articles, watching videos, or scrolling through social media\n"
        "Communicate is for communicative tasks like google meets, zoom meetings, writing emails or texting\n" +
        promptMiddle + templateEntry("Create") + "," + templateEntry("Consume") + "," + templateEntry("Communicate") +
        promptTail;
    EXPECT_EQ(categorizationPrompt(PreferencesModel::defaultCategories()), expected);
}

TEST(CategorizationPrompt, NoCategoriesHasNoBucketsAndAnEmptyTemplate) {
    const std::string prompt = categorizationPrompt({});
    EXPECT_EQ(prompt, promptHead + promptMiddle + promptTail);
    EXPECT_NE(prompt.find("{\n  \"categories\": [\n  ],"), std::string::npos);
}

TEST(CategorizationPrompt, NamesKeepTheirCaseAndUnknownNamesAreDescribedInLowerCase) {
    const std::string prompt =
        categorizationPrompt({{UUID::random(), "CREATE", true}, {UUID::random(), "Deep Work \"%s\"", true}});
    EXPECT_NE(prompt.find("CREATE is for creative tasks like making art, coding, or even writing a blog\n"),
              std::string::npos);
    EXPECT_NE(prompt.find("Deep Work \"%s\" is for activities related to deep work \"%s\"\n"), std::string::npos);
    EXPECT_NE(prompt.find(templateEntry("CREATE") + "," + templateEntry("Deep Work \"%s\"") + "\n  ],"),
              std::string::npos);
}

TEST(ActivityTypes, RawValuesAndFormattedDuration) {
    EXPECT_EQ(viewStyleFromRawValue("Journal"), ViewStyle::journal);
    EXPECT_EQ(viewStyleFromRawValue("journal"), std::nullopt);
    EXPECT_EQ(rawValue(ViewStyle::classic), "Classic");
    EXPECT_EQ(bottomPanelTypeFromRawValue("Weekly Graph"), BottomPanelType::weeklyBreakdown);
    EXPECT_EQ(bottomPanelTypeFromRawValue("weeklyBreakdown"), std::nullopt);
    EXPECT_EQ(rawValue(allBottomPanelTypes[4]), "Coming Soon");

    Activity activity;
    activity.description = "Coding";
    activity.duration = 2 * 3600 + 5 * 60;
    EXPECT_EQ(activity.formattedDuration(), "2h 5m");
    const auto converted = makeHistoricalActivities({activity, activity}, "2026-12-07");
    ASSERT_EQ(converted.size(), 2u);
    EXPECT_NE(converted[0].id, converted[1].id);
    EXPECT_NE(converted[0].id, activity.id);
    EXPECT_EQ(converted[0].formattedDuration, "2h 5m");
    EXPECT_EQ(converted[0].timeframe, "2026-12-07");
}

TEST(ActivityTypes, CategoryAndHistoryCodingRoundTripsAndRejectsMissingKeys) {
    const std::vector<Category> categories = PreferencesModel::defaultCategories();
    const std::string json = encodeCategories(categories);
    EXPECT_EQ(json.rfind("[{\"id\":\"" + categories[0].id.uuidString() + "\",\"name\":\"Create\",\"isPositive\":true}", 0),
              0u);
    EXPECT_EQ(decodeCategories(json), categories);
    EXPECT_THROW(decodeCategories(R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","name":"A"}])"), std::exception);

    HistoricalActivity activity{UUID::random(), "Wrote", "1h 0m", Date{1234.5}, "2026-12-07"};
    const std::string history = encodeHistoricalActivities({activity});
    EXPECT_NE(history.find("\"timestamp\":1234.5"), std::string::npos);
    EXPECT_EQ(decodeHistoricalActivities(history), std::vector<HistoricalActivity>{activity});
    EXPECT_THROW(decodeHistoricalActivities(R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","description":"d",
        "formattedDuration":"1m","timestamp":1}])"),
                 std::exception);
}

class PreferencesModelTest : public ::testing::Test {
protected:
    std::vector<std::uint8_t> stored(const std::string& key) {
        return defaults->data(key).value_or(std::vector<std::uint8_t>{});
    }
    std::string storedText(const std::string& key) {
        const auto bytes = stored(key);
        return std::string(bytes.begin(), bytes.end());
    }

    testing::TemporaryDirectory directory;
    std::shared_ptr<UserDefaults> defaults = std::make_shared<UserDefaults>(directory.path() / "defaults.json");
    NotificationCenter notifications;
    LogCapture log;
};

TEST_F(PreferencesModelTest, FirstLaunchInstallsAndSavesTheDefaults) {
    PreferencesModel model(*defaults, notifications);
    ASSERT_EQ(model.categories->size(), 3u);
    EXPECT_EQ(model.categories.get()[0].name, "Create");
    EXPECT_TRUE(model.categories.get()[0].isPositive);
    EXPECT_EQ(model.categories.get()[1].name, "Consume");
    EXPECT_FALSE(model.categories.get()[1].isPositive);
    EXPECT_EQ(model.categories.get()[2].name, "Communicate");
    EXPECT_THAT(log.lines, ElementsAre("Initialized with default categories.", "Saved 3 categories."));
    EXPECT_EQ(decodeCategories(storedText("categories")), model.categories.get());
    EXPECT_EQ(model.viewStyle.get(), ViewStyle::classic);
}

TEST_F(PreferencesModelTest, StoredEmptyListStaysEmpty) {
    const std::string empty = "[]";
    defaults->set("categories", std::vector<std::uint8_t>(empty.begin(), empty.end()));
    PreferencesModel model(*defaults, notifications);
    EXPECT_TRUE(model.categories->empty());
    EXPECT_THAT(log.lines, ElementsAre("Loaded 0 categories from storage."));
}

TEST_F(PreferencesModelTest, UnreadableCategoriesAreReplacedByDefaultsAndHistoryStartsEmpty) {
    const std::string broken = "[{\"name\":\"x\"}]";
    defaults->set("categories", std::vector<std::uint8_t>(broken.begin(), broken.end()));
    defaults->set("historicalActivities", std::vector<std::uint8_t>(broken.begin(), broken.end()));
    PreferencesModel model(*defaults, notifications);
    EXPECT_EQ(model.categories->size(), 3u);
    EXPECT_TRUE(model.historicalActivities->empty());
    EXPECT_EQ(decodeCategories(storedText("categories")).size(), 3u);
}

TEST_F(PreferencesModelTest, UnreadableCategoriesAreKeptAsideBeforeTheDefaultsAreSaved) {
    const std::string userList = R"([{"id":"not-a-uuid","name":"Deep Work","isPositive":true}])";
    defaults->set("categories", std::vector<std::uint8_t>(userList.begin(), userList.end()));
    PreferencesModel model(*defaults, notifications);
    EXPECT_EQ(model.categories->size(), 3u);
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
        if (entry.path().filename().string().starts_with("categories.json.unreadable-")) kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readFile(kept[0]), userList);
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(),
                            [&](const std::string& line) { return line.find(kept[0].string()) != std::string::npos; }));
}

TEST_F(PreferencesModelTest, ViewStyleIsStoredByRawValueAndUnknownTextReadsAsClassic) {
    defaults->set("viewStyle", "Fancy");
    {
        PreferencesModel model(*defaults, notifications);
        EXPECT_EQ(model.viewStyle.get(), ViewStyle::classic);
        model.viewStyle = ViewStyle::journal;
        EXPECT_EQ(defaults->string("viewStyle"), "Journal");
    }
    PreferencesModel reloaded(*defaults, notifications);
    EXPECT_EQ(reloaded.viewStyle.get(), ViewStyle::journal);
}

TEST_F(PreferencesModelTest, AddingAndDeletingCategoriesSavesLogsAndPosts) {
    PreferencesModel model(*defaults, notifications);
    int posts = 0;
    const Subscription observer =
        notifications.addObserver(didChangeCategoriesRequiringDataClear, [&](const Notification&) { ++posts; });
    log.lines.clear();

    model.addCategory(" Deep Work ", true);
    EXPECT_EQ(model.categories->back().name, " Deep Work ");
    EXPECT_THAT(log.lines,
                ElementsAre("Saved 4 categories.", "Added category:  Deep Work . Prompt will reflect change on next access."));
    EXPECT_EQ(posts, 1);

    log.lines.clear();
    model.deleteCategory({0, 2});
    ASSERT_EQ(model.categories->size(), 2u);
    EXPECT_EQ(model.categories.get()[0].name, "Consume");
    EXPECT_EQ(model.categories.get()[1].name, " Deep Work ");
    EXPECT_THAT(log.lines,
                ElementsAre("Saved 2 categories.", "Deleted category. Prompt will reflect change on next access."));
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(decodeCategories(storedText("categories")), model.categories.get());

    PreferencesModel reloaded(*defaults, notifications);
    EXPECT_EQ(reloaded.categories.get(), model.categories.get());
}

TEST_F(PreferencesModelTest, HistoryKeepsTheNewestHundred) {
    PreferencesModel model(*defaults, notifications);
    const auto activities = [](int count, const std::string& prefix) {
        std::vector<Activity> list;
        for (int i = 0; i < count; ++i) {
            Activity activity;
            activity.description = prefix + std::to_string(i);
            list.push_back(activity);
        }
        return list;
    };
    model.addHistoricalActivities(activities(90, "old"), "2026-12-06");
    model.addHistoricalActivities(activities(30, "new"), "2026-12-07");
    const auto& history = model.historicalActivities.get();
    ASSERT_EQ(history.size(), 100u);
    EXPECT_EQ(history[0].description, "new0");
    EXPECT_EQ(history[29].description, "new29");
    EXPECT_EQ(history[30].description, "old0");
    EXPECT_EQ(history[99].description, "old69");
    EXPECT_EQ(decodeHistoricalActivities(storedText("historicalActivities")), history);

    PreferencesModel reloaded(*defaults, notifications);
    EXPECT_EQ(reloaded.historicalActivities.get(), history);
}

// The settings file is written whole with every setting: remembered activities past their bounds would
// take every later setting with them. What an earlier version stored past them shrinks at once.
TEST_F(PreferencesModelTest, RememberedActivitiesStayWithinTheirBudget) {
    const HistoricalActivity overLong{UUID::random(), std::string(9000, 'd'), "1m", Date{10}, std::string(9000, 't')};
    const std::string earlier = encodeHistoricalActivities(std::vector<HistoricalActivity>(100, overLong));
    defaults->set("historicalActivities", std::vector<std::uint8_t>(earlier.begin(), earlier.end()));
    PreferencesModel model(*defaults, notifications);
    const auto expectWithinBounds = [&] {
        const auto& history = model.historicalActivities.get();
        EXPECT_TRUE(history.size() > 50 && history.size() < 100) << history.size() << ": the newest that fit";
        for (const auto& entry : history) EXPECT_EQ(entry.description, std::string(storedAnswerTextLimit - 3, 'd') + "...");
        EXPECT_LE(base64Encode(storedText("historicalActivities")).size(), PreferencesModel::historyBytesBudget);
        EXPECT_EQ(decodeHistoricalActivities(storedText("historicalActivities")), history);
    };
    expectWithinBounds();
    std::vector<Activity> added(100);
    for (auto& activity : added) activity.description = std::string(9000, 'd');
    model.addHistoricalActivities(added, std::string(9000, 't'));
    expectWithinBounds();
}

} // namespace
} // namespace glimmo
