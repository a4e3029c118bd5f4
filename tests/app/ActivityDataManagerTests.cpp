#include "app/ActivityDataManager.h"

#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <fstream>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

class ActivityDataManagerTest : public ::testing::Test {
protected:
    ActivityDataManagerTest() {
        setDefaultTimeZone("UTC");
        setLogSinkForTesting([this](LogLevel level, std::string_view line) {
            (level == LogLevel::standardOutput ? printed : logged).emplace_back(line);
        });
    }
    ~ActivityDataManagerTest() override {
        setLogSinkForTesting({});
        setDefaultTimeZone("");
    }

    std::string fileText() const { return readFile(folder / "dailyActivityData.json").value_or(""); }

    testing::TemporaryDirectory directory;
    fs::path folder = directory.path() / "com.glimmodemo.GlimmoDemo";
    // 2026-12-07 10:00:00 UTC
    ManualClock clock{Date::fromUnixTime(1796637600)};
    ActivityDataManager manager{clock, [this] { return std::optional<fs::path>(folder); }};
    std::vector<std::string> printed;
    std::vector<std::string> logged;
};

TEST_F(ActivityDataManagerTest, WithoutAFileNothingIsStored) {
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07"), std::make_pair(std::optional<std::string>(), true));
    const auto past = manager.loadPastDaysData(7);
    ASSERT_EQ(past.size(), 7u);
    for (const auto& day : past) {
        EXPECT_FALSE(day);
    }
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], "DEBUG: No data file exists at file://" + (folder / "dailyActivityData.json").string());
    manager.clearAllData();
    EXPECT_TRUE(logged.empty());
    EXPECT_TRUE(manager.loadPastDaysData(0).empty());
}

TEST_F(ActivityDataManagerTest, AnswersAreFreshUntilFourHoursOld) {
    manager.savePromptResponse("{\"categories\":[]}", "2026-12-07");
    clock.advance(14399);
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07"),
              std::make_pair(std::optional<std::string>("{\"categories\":[]}"), false));
    clock.advance(1);
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07"),
              std::make_pair(std::optional<std::string>("{\"categories\":[]}"), true));
    EXPECT_EQ(manager.loadPromptResponse("2026-12-06"), std::make_pair(std::optional<std::string>(), true));
}

TEST_F(ActivityDataManagerTest, FileIsCompactWithReferenceDatesAndPrivate) {
    manager.savePromptResponse("answer", "2026-12-07");
    const double seconds = clock.now().secondsSinceReferenceDate;
    char number[64];
    std::snprintf(number, sizeof number, "%.1f", seconds);
    EXPECT_EQ(fileText(), std::string("{\"2026-12-07\":{\"date\":\"2026-12-07\",\"timeframes\":{\"2026-12-07\":{") +
                              "\"promptResponse\":\"answer\",\"lastUpdateTime\":" + number + "}},\"lastUpdateTime\":" +
                              number + ",\"appUsage\":{},\"totalDuration\":0.0,\"categoryDurations\":{}}}");
    struct stat status {};
    ASSERT_EQ(::stat((folder / "dailyActivityData.json").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(ActivityDataManagerTest, AnAnswerForAnEarlierDayIsFiledUnderThatDay) {
    manager.savePromptResponse("today", "2026-12-07");
    manager.savePromptResponse("yesterday", "2026-12-06");
    manager.savePromptResponse("today again", "2026-12-07");

    EXPECT_EQ(manager.loadPromptResponse("2026-12-06").first, "yesterday");
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07").first, "today again");

    const auto past = manager.loadPastDaysData(3);
    ASSERT_TRUE(past[0]);
    EXPECT_EQ(past[0]->date, "2026-12-07");
    EXPECT_EQ(past[0]->timeframes.size(), 1u);
    ASSERT_TRUE(past[1]);
    EXPECT_EQ(past[1]->date, "2026-12-06");
    EXPECT_EQ(past[1]->timeframes.at("2026-12-06").promptResponse, "yesterday");
    EXPECT_EQ(past[1]->lastUpdateTime, clock.now());
    EXPECT_FALSE(past[2]);
}

TEST_F(ActivityDataManagerTest, DayKeysFollowTheLocalCalendar) {
    clock.set(Date::fromUnixTime(1796687940)); // 2026-12-07 23:59:00 UTC
    manager.savePromptResponse("late", "2026-12-07");
    clock.advance(60);
    EXPECT_EQ(manager.loadPromptResponse("2026-12-08"), std::make_pair(std::optional<std::string>(), true));
    const auto past = manager.loadPastDaysData(2);
    EXPECT_FALSE(past[0]);
    ASSERT_TRUE(past[1]);
    EXPECT_EQ(past[1]->timeframes.at("2026-12-07").promptResponse, "late");
}

TEST_F(ActivityDataManagerTest, UnreadableFileIsReportedThenKeptAsideBeforeASave) {
    const std::string broken = "{\"2026-12-07\":{\"date\":\"2026-12-07\"}}";
    std::ofstream(folder / "dailyActivityData.json") << broken;

    EXPECT_EQ(manager.loadPromptResponse("2026-12-07"), std::make_pair(std::optional<std::string>(), true));
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].rfind("Error loading prompt response: ", 0), 0u);
    EXPECT_EQ(manager.loadPastDaysData(2), std::vector<std::optional<DailyActivityData>>(2));
    EXPECT_EQ(printed.back().rfind("DEBUG: Error loading past days data: ", 0), 0u);

    manager.savePromptResponse("fresh", "2026-12-07");
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07").first, "fresh");
    bool keptAside = false;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            keptAside = readFile(entry.path()) == broken;
        }
    }
    EXPECT_TRUE(keptAside);
}

TEST_F(ActivityDataManagerTest, AnInterruptedSaveLeavesThePreviousFile) {
    manager.savePromptResponse("first", "2026-12-07");
    const std::string before = fileText();
    setAtomicWriteHookForTesting([](const fs::path&) { throw std::runtime_error("power cut"); });
    manager.savePromptResponse("second", "2026-12-07");
    setAtomicWriteHookForTesting({});
    EXPECT_EQ(fileText(), before);
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.back(), "DEBUG: Error saving prompt response: power cut");
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07").first, "first");
}

TEST_F(ActivityDataManagerTest, ClearDeletesTheFileAndSaysSo) {
    manager.savePromptResponse("x", "2026-12-07");
    manager.clearAllData();
    EXPECT_FALSE(fs::exists(folder / "dailyActivityData.json"));
    EXPECT_EQ(logged, std::vector<std::string>{"Cleared all daily activity data by deleting the file."});
}

TEST_F(ActivityDataManagerTest, AnAnswerAskedForBeforeAClearIsRefused) {
    const ClearMark before = manager.clearMark();
    manager.clearAllData(); // no file yet: a clear all the same
    EXPECT_FALSE(manager.savePromptResponse("made from cleared data", "2026-12-07", before));
    EXPECT_FALSE(fs::exists(folder / "dailyActivityData.json"));

    EXPECT_TRUE(manager.savePromptResponse("asked after the clear", "2026-12-07", manager.clearMark()));
    const ClearMark begun = manager.clearMark();
    manager.savePromptResponse("without a mark", "2026-12-06"); // the plain save knows no mark and always stores
    EXPECT_TRUE(manager.savePromptResponse("another day", "2026-12-05", begun)) << "a save is no clear";
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07").first, "asked after the clear");
    EXPECT_EQ(manager.loadPromptResponse("2026-12-06").first, "without a mark");
}

// The file is rewritten whole with every save: what an earlier version stored past the bounds, and
// the days past the budget, go at the next save; the seven days the weekly chart reads always stay.
TEST_F(ActivityDataManagerTest, ASaveKeepsTheFileWithinItsBudgetAndTheWeekWhole) {
    const std::string week = "2026-12-01"; // the oldest of the chart's seven days
    DailyActivityStore earlier;
    const auto storeDay = [&](const std::string& key, std::string answer) {
        earlier[key] = {key, {{key, {std::move(answer), Date{100}}}}, Date{100}, {}, 0, {}};
    };
    // A chart day whose answer holds a description of 300 KB, as an earlier version stored it.
    nlohmann::ordered_json huge = {{"total_minutes", 60}, {"active_minutes", 60},
                                   {"categories", {{{"type", "Create"}, {"apps", "Editor"}, {"percentage", 100}}}},
                                   {"activities", {{{"description", std::string(300000, 'd')}, {"apps", {"Editor"}}}}}};
    storeDay(week, prettyJSON(huge));
    // Thirty earlier days of 150 KB each, more than the budget holds.
    const auto october = [](int day) { return "2026-10-" + std::string(day < 10 ? "0" : "") + std::to_string(day); };
    for (int day = 1; day <= 30; ++day) {
        storeDay(october(day), "\"" + std::string(150000, 'x') + "\"");
    }
    writeFileAtomically(folder / "dailyActivityData.json", encodeDailyActivityStore(earlier));

    manager.savePromptResponse("today's", "2026-12-07");
    EXPECT_LE(fileText().size(), ActivityDataManager::storedBytesBudget);
    const DailyActivityStore kept = decodeDailyActivityStore(fileText());
    EXPECT_EQ(kept.at("2026-12-07").timeframes.at("2026-12-07").promptResponse, "today's");
    // The chart's day is kept, its answer within its bounds and still telling the day's shares.
    const std::string bounded = kept.at(week).timeframes.at(week).promptResponse;
    EXPECT_LE(bounded.size(), storedAnswerLimit);
    const auto boundedJSON = nlohmann::json::parse(bounded);
    EXPECT_EQ(boundedJSON["categories"][0]["percentage"], 100);
    EXPECT_EQ(boundedJSON["activities"][0]["description"].get<std::string>().size(), storedAnswerTextLimit);
    // Of the others the newest that fit, as they were: the oldest went.
    int oldestKept = 31;
    while (oldestKept > 1 && kept.contains(october(oldestKept - 1))) --oldestKept;
    EXPECT_GT(oldestKept, 1);
    EXPECT_LT(oldestKept, 30);
    for (int day = 1; day <= 30; ++day) {
        EXPECT_EQ(kept.contains(october(day)), day >= oldestKept) << day;
        if (day >= oldestKept) EXPECT_EQ(kept.at(october(day)), earlier.at(october(day)));
    }
}

TEST(DailyActivityStoreBudget, TheChartDaysStayWhateverTheirSize) {
    DailyActivityStore store;
    for (const std::string key : {"2026-12-05", "2026-12-06", "2026-12-07"}) {
        store[key] = {key, {{key, {std::string(1000, 'a'), Date{1}}}}, Date{1}, {}, 0, {}};
    }
    const DailyActivityStore kept = dailyActivityStoreWithin(store, {"2026-12-05", "2026-12-07"}, 100);
    EXPECT_EQ(kept.size(), 2u);
    EXPECT_TRUE(kept.contains("2026-12-05") && kept.contains("2026-12-07"));
    EXPECT_EQ(dailyActivityStoreWithin(store, {}, encodeDailyActivityStore(store).size() + 3), store);
}

TEST_F(ActivityDataManagerTest, WithoutAFolderSavesAreRefusedAndLoadsFindNothing) {
    ActivityDataManager homeless(clock, [] { return std::optional<fs::path>(); });
    homeless.savePromptResponse("x", "2026-12-07");
    EXPECT_EQ(printed, std::vector<std::string>{"DEBUG: No valid URL for saving data"});
    EXPECT_EQ(homeless.loadPromptResponse("2026-12-07").second, true);
    homeless.clearAllData();
    EXPECT_TRUE(logged.empty());
}

TEST(StoredAnswerBounds, ARealAnswerIsKeptWhole) {
    const nlohmann::ordered_json real = parseOrderedJSON(R"({"total_minutes": 180, "active_minutes": 180,
        "categories": [{"type": "Create", "apps": "Code Editor, Terminal", "percentage": 67},
                       {"type": "Communicate", "apps": "Slack", "percentage": 33, "note": "calls"}],
        "activities": [{"description": "💻 Refactoring the parser", "apps": ["Code Editor"], "mood": {"level": [1, 2]}},
                       {"description": "Team chat", "apps": []}]})");
    EXPECT_EQ(prettyJSON(storedAnswerWithin(real)), prettyJSON(real));
    EXPECT_EQ(storedAnswerTextWithin("not even JSON"), "not even JSON");
}

TEST(StoredAnswerBounds, EachTextIsCutAtACharacterBoundary) {
    std::string accents;
    for (int i = 0; i < 5000; ++i) accents += "\u00e9"; // two bytes each
    nlohmann::ordered_json form = {{"categories", {{{"type", "Create"}, {"apps", std::string(20000, 'a')}}}},
                                   {"activities", {{{"description", accents}, {"apps", {std::string(5000, 'b')}}}}},
                                   {std::string(5000, 'k'), 1}};
    const nlohmann::ordered_json bounded = storedAnswerWithin(form);
    const std::string description = bounded["activities"][0]["description"];
    EXPECT_EQ(description, accents.substr(0, storedAnswerTextLimit - 4) + "...");
    EXPECT_EQ(bounded["activities"][0]["apps"][0], std::string(storedAnswerTextLimit - 3, 'b') + "...");
    EXPECT_EQ(bounded["categories"][0]["apps"], std::string(storedAnswerAppsLimit - 3, 'a') + "...");
    EXPECT_EQ(bounded["categories"][0]["type"], "Create");
    EXPECT_EQ(bounded.size(), 2u) << "a key past the bound is left out";
}

// However many and however large the answer's parts, the form written stays within its bound, keeps
// its four keys, and each category it keeps its type, applications and share.
TEST(StoredAnswerBounds, AnyAnswerIsWrittenWithinTheBound) {
    nlohmann::ordered_json blob = nlohmann::ordered_json::array();
    for (int i = 0; i < 50000; ++i) blob.push_back(i);
    nlohmann::ordered_json deep = "bottom";
    for (int level = 0; level < 400; ++level) deep = nlohmann::ordered_json::array({deep, std::string(100, 'n')});
    nlohmann::ordered_json form = {{"total_minutes", 600}, {"active_minutes", 600}, {"categories", nlohmann::ordered_json::array()},
                                   {"activities", nlohmann::ordered_json::array()}};
    for (const char* type : {"Create", "Consume"}) {
        form["categories"].push_back({{"blob", blob}, {"type", type}, {"apps", std::string(20000, 'a')}, {"percentage", 50}});
    }
    form["activities"].push_back({{"description", "deep"}, {"apps", deep}});
    for (int i = 0; i < 100; ++i) form["activities"].push_back({{"description", std::string(5000, 'd')}, {"apps", {"x"}}});

    for (const bool categoriesFirst : {true, false}) {
        nlohmann::ordered_json answer = form;
        if (!categoriesFirst) answer["categories"] = nlohmann::ordered_json::array({form["categories"][0]});
        const nlohmann::ordered_json bounded = storedAnswerWithin(answer);
        const std::string written = prettyJSON(bounded);
        EXPECT_LE(written.size(), storedAnswerLimit);
        EXPECT_EQ(bounded["total_minutes"], 600);
        EXPECT_EQ(bounded["active_minutes"], 600);
        ASSERT_TRUE(bounded["categories"].is_array() && bounded["activities"].is_array());
        ASSERT_FALSE(bounded["categories"].empty());
        for (const auto& category : bounded["categories"]) {
            EXPECT_TRUE(category.contains("type") && category.contains("apps") && category["percentage"] == 50);
        }
        // Written again, it is the same: what the store re-reads it keeps.
        EXPECT_EQ(prettyJSON(storedAnswerWithin(bounded)), written);
        EXPECT_EQ(storedAnswerTextWithin(prettyJSON(answer)), written);
    }
    EXPECT_EQ(storedAnswerTextWithin(std::string(storedAnswerLimit + 1, 'x')), std::string(storedAnswerLimit - 3, 'x') + "...");
}

TEST(DailyActivityStoreCoding, RoundTripsAndRequiresEveryKey) {
    DailyActivityStore store;
    store["2026-12-07"] = {"2026-12-07", {{"2026-12-07", {"a", Date{5.5}}}}, Date{6}, {{"Xcode", 1.5}}, 2, {{"Create", 3}}};
    EXPECT_EQ(decodeDailyActivityStore(encodeDailyActivityStore(store)), store);
    EXPECT_THROW(decodeDailyActivityStore(R"({"d":{"date":"d","timeframes":{},"lastUpdateTime":1,"appUsage":{},
        "totalDuration":0}})"),
                 std::exception);
    EXPECT_NO_THROW(decodeDailyActivityStore(R"({"d":{"date":"d","timeframes":{},"lastUpdateTime":1,"appUsage":{},
        "totalDuration":0,"categoryDurations":{},"extra":true}})"));
}

} // namespace
} // namespace glimmo
