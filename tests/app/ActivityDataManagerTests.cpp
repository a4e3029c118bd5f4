#include "app/ActivityDataManager.h"

#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonWriting.h"
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
    // The file holds what this manager keeps in memory: another, which reads the file, finds the same.
    const ActivityDataManager another(clock, [this] { return std::optional<fs::path>(folder); });
    EXPECT_EQ(another.loadPastDaysData(3), past);
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

// What the file keeps is told from the file itself, after a save of today's answer over what an earlier
// version left.
class ActivityDataManagerBudgetTest : public ActivityDataManagerTest {
protected:
    static DailyActivityData dayOf(const std::string& key, std::string answer) {
        return DailyActivityData{key, {{key, {std::move(answer), Date{100}}}}, Date{100}, {}, 0, {}};
    }
    // An answer at its bound whose texts are backslashes: the file writes each byte of it in two.
    static const std::string& backslashAnswerAtItsBound() {
        static const std::string answer = [] {
            nlohmann::ordered_json activities = nlohmann::ordered_json::array();
            for (int i = 0; i < 100; ++i) activities.push_back({{"description", std::string(storedAnswerTextLimit, '\\')}});
            return prettyJSON(storedAnswerWithin({{"activities", activities}}));
        }();
        return answer;
    }
    static std::string keyOfDecemberDay(int date) { return (date < 10 ? "2026-12-0" : "2026-12-") + std::to_string(date); }

    DailyActivityStore savedOver(const DailyActivityStore& earlier) {
        writeFileAtomically(folder / "dailyActivityData.json", encodeDailyActivityStore(earlier));
        manager.savePromptResponse("today's", "2026-12-07");
        EXPECT_LE(fileText().size(), ActivityDataManager::storedBytesBudget);
        return decodeDailyActivityStore(fileText());
    }
};

// The oldest days past the budget, and what an earlier version stored past the bounds, go at the next save.
TEST_F(ActivityDataManagerBudgetTest, ASaveKeepsTheFileWithinItsBudget) {
    DailyActivityStore earlier; // twenty days of 250 KB
    for (int date = 10; date < 30; ++date) {
        const std::string key = "2026-11-" + std::to_string(date);
        earlier[key] = dayOf(key, '"' + std::string(250000, 'x') + '"');
    }
    DailyActivityStore kept = savedOver(earlier);
    EXPECT_EQ(kept.at("2026-12-07").timeframes.at("2026-12-07").promptResponse, "today's");
    EXPECT_FALSE(kept.contains("2026-11-10"));
    EXPECT_EQ(kept.at("2026-11-29"), earlier.at("2026-11-29"));

    // A description of 300 KB in a day of the chart's week.
    kept = savedOver({{"2026-12-01", dayOf("2026-12-01", prettyJSON(nlohmann::ordered_json{
        {"categories", {{{"type", "Create"}, {"percentage", 100}}}}, {"activities", {{{"description", std::string(300000, 'd')}}}}}))}});
    const std::string bounded = kept.at("2026-12-01").timeframes.at("2026-12-01").promptResponse;
    EXPECT_LE(bounded.size(), storedAnswerLimit);
    EXPECT_EQ(nlohmann::json::parse(bounded)["categories"][0]["percentage"], 100);
}

// The week the chart reads is kept whole, answers at their bound included, ahead of the newer days a
// clock set back leaves after today, which would otherwise fill the budget.
TEST_F(ActivityDataManagerBudgetTest, ASaveKeepsTheFileWithinItsBudgetAndTheWeekWhole) {
    const std::string& atItsBound = backslashAnswerAtItsBound();
    ASSERT_GT(jsonStringSize(atItsBound), storedAnswerWrittenLimit - 64 * 1024);

    DailyActivityStore week;
    for (int date = 1; date <= 7; ++date) week[keyOfDecemberDay(date)] = dayOf(keyOfDecemberDay(date), atItsBound);
    EXPECT_LT(encodeDailyActivityStore(week).size(), ActivityDataManager::storedBytesBudget / 10 * 9);

    DailyActivityStore earlier = week;
    earlier.erase("2026-12-07");
    for (int date = 8; date < 13; ++date) earlier[keyOfDecemberDay(date)] = dayOf(keyOfDecemberDay(date), std::string(600000, 'x'));
    savedOver(earlier);
    const auto past = manager.loadPastDaysData(ActivityDataManager::chartDays);
    ASSERT_TRUE(past[0]);
    EXPECT_EQ(past[0]->timeframes.at("2026-12-07").promptResponse, "today's");
    for (int back = 1; back < ActivityDataManager::chartDays; ++back) {
        ASSERT_TRUE(past[back]) << back;
        EXPECT_EQ(*past[back], earlier.at(keyOfDecemberDay(7 - back))) << back;
    }
}

// Whatever an earlier version left in the week (answers that are no JSON, of control characters the file
// writes in six bytes each; days of 20,000 applications' times; a day of twenty answers at their bound),
// the file stays within its budget, every day of the week stays and today's answer is kept.
TEST_F(ActivityDataManagerBudgetTest, WhatAnEarlierVersionLeftNeverTakesTheFilePastItsBudget) {
    const std::string controlCharacters(storedAnswerLimit, '\x01');
    DailyActivityStore earlier;
    for (const int date : {1, 5, 6}) earlier[keyOfDecemberDay(date)] = dayOf(keyOfDecemberDay(date), controlCharacters);
    for (const int date : {3, 4, 7}) {
        DailyActivityData day = dayOf(keyOfDecemberDay(date), "{}");
        for (int app = 0; app < 20000; ++app) day.appUsage["com.example.application-" + std::to_string(app)] = app;
        earlier[day.date] = std::move(day);
    }
    DailyActivityData answers = dayOf("2026-12-02", "{}");
    for (int answer = 0; answer < 20; ++answer) {
        answers.timeframes["answer " + std::to_string(answer)] = {std::string(storedAnswerLimit, 'x'), Date{100.0 + answer}};
    }
    earlier[answers.date] = std::move(answers);

    const DailyActivityStore kept = savedOver(earlier);
    EXPECT_EQ(kept.at("2026-12-07").timeframes.at("2026-12-07").promptResponse, "today's");
    for (int date = 1; date <= 7; ++date) EXPECT_TRUE(kept.contains(keyOfDecemberDay(date))) << date;
    // A day that does not fit whole keeps its newest answers.
    const auto& keptAnswers = kept.at("2026-12-02").timeframes;
    EXPECT_FALSE(keptAnswers.empty());
    for (const auto& [key, answer] : keptAnswers) EXPECT_GE(answer.lastUpdateTime, Date{120.0 - static_cast<double>(keptAnswers.size())}) << key;
    const std::string& cut = kept.at("2026-12-06").timeframes.at("2026-12-06").promptResponse;
    EXPECT_LE(jsonStringSize(cut), storedAnswerLimit);
    EXPECT_EQ(cut, controlCharacters.substr(0, cut.size() - 3) + "...");
}

// The store is taken from memory only while the file is the one this manager last read or wrote.
TEST_F(ActivityDataManagerTest, AFileWrittenByAnyoneElseIsReadAnew) {
    manager.savePromptResponse("ours", "2026-12-07");
    ASSERT_EQ(manager.loadPromptResponse("2026-12-07").first, "ours");
    DailyActivityStore theirs = decodeDailyActivityStore(fileText());
    theirs["2026-12-07"].timeframes["2026-12-07"].promptResponse = "theirs";
    writeFileAtomically(folder / "dailyActivityData.json", encodeDailyActivityStore(theirs));
    EXPECT_EQ(manager.loadPromptResponse("2026-12-07").first, "theirs");
    manager.savePromptResponse("ours again", "2026-12-06");
    EXPECT_EQ(decodeDailyActivityStore(fileText()).at("2026-12-07").timeframes.at("2026-12-07").promptResponse, "theirs");
}

TEST_F(ActivityDataManagerTest, WithoutAFolderSavesAreRefusedAndLoadsFindNothing) {
    ActivityDataManager homeless(clock, [] { return std::optional<fs::path>(); });
    homeless.savePromptResponse("x", "2026-12-07");
    EXPECT_EQ(printed, std::vector<std::string>{"DEBUG: No valid URL for saving data"});
    EXPECT_EQ(homeless.loadPromptResponse("2026-12-07").second, true);
    homeless.clearAllData();
    EXPECT_TRUE(logged.empty());
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
