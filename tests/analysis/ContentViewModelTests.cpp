#include "AnalysisFixture.h"

#include "analysis/ChatViewModel.h"
#include "analysis/ContentViewModel.h"
#include "app/ActivityRecordFile.h"
#include "app/StoredAnswerBounds.h"
#include "generative-ai/GenerativeModel.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "tests/app/HeldWrites.h"

#include <gmock/gmock.h>

#include <deque>

namespace glimmo::testing {
namespace {

using ::testing::HasSubstr;

const std::string answer = R"({"categories": [
    {"type": "Create", "apps": "Code Editor, Terminal"},
    {"type": "Communicate", "apps": "Slack"},
    {"type": "Consume", "apps": "youtube"}],
  "activities": [
    {"description": "Refactoring the parser", "apps": ["Code Editor"]},
    {"description": "Team chat", "apps": ["Slack"]}]})";

const std::string otherAnswer = R"({"categories": [{"type": "Consume", "apps": "Slack"}], "activities": []})";

class ContentViewModelTest : public AnalysisFixture {
protected:
    ContentViewModelTest() {
        addRecord("Code Editor", on7th(9), 7200);
        addRecord("Slack", on7th(11, 30), 3600);
        addRecord("Code Editor", on6th(10), 1800);
        addRecord("Slack", on6th(12), 1800);
        model = std::make_shared<ContentViewModel>(service);
        loadingObserver = model->isLoading.didChange.connect([this](const bool& loading) {
            if (loading) ++loadingStarts;
        });
    }

    static Date on6th(int hour, int minute = 0) { return on7th(hour, minute).addingTimeInterval(-86400); }

    std::optional<std::string> storedAnswer(const std::string& day) {
        return ActivityDataManager::shared().loadPromptResponse(day).first;
    }

    std::string lastPrompt() {
        const auto requests = gemini.requests();
        if (requests.empty()) return {};
        return nlohmann::json::parse(requests.back().body)["contents"][0]["parts"][0]["text"].get<std::string>();
    }

    // Runs a refresh that moves to another day, which asks for nothing until the day has stayed shown.
    void runSettled(Task<void> refresh) {
        const TaskHandle running = startTask(*loop, std::move(refresh));
        loop->advance(ShownDayWork::settleSeconds);
        ASSERT_TRUE(loop->runUntil([&] { return running.isFinished(); }, 20));
        loop->runUntilIdle();
    }

    std::shared_ptr<ContentViewModel> model;
    int loadingStarts = 0;
    Subscription loadingObserver;
};

TEST_F(ContentViewModelTest, NewModelStartsEmptyOnTodayWithTheStoredPanel) {
    EXPECT_EQ(model->focusScore.get(), "A+");
    EXPECT_TRUE(model->activityBreakdown->empty());
    EXPECT_TRUE(model->activities->empty());
    EXPECT_EQ(model->totalComputerTime.get(), 0);
    EXPECT_EQ(model->displayDate.get(), on7th(0));
    EXPECT_EQ(model->lastUpdateTime.get(), on7th(15));
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_EQ(model->selectedComponent(), BottomPanelType::weeklyBreakdown);
    EXPECT_EQ(model->gemini().modelResourceName(), "models/gemini-2.0-flash");
    EXPECT_EQ(model->gemini().requestOptions().timeout, 300);
    EXPECT_EQ(model->gemini().requestOptions().apiVersion, "v1beta");

    // The setting is shared through the defaults: another model and the defaults see a change.
    const auto other = std::make_shared<ContentViewModel>(service);
    int changes = 0;
    const Subscription observer = other->objectWillChange.connect([&] { ++changes; });
    model->setSelectedComponent(BottomPanelType::mediaDigest);
    EXPECT_EQ(other->selectedComponent(), BottomPanelType::mediaDigest);
    EXPECT_EQ(UserDefaults::standard().string("selectedBottomComponent"), "Media Digest");
    EXPECT_GE(changes, 1);
    UserDefaults::standard().set("selectedBottomComponent", "Nonsense");
    EXPECT_EQ(model->selectedComponent(), BottomPanelType::weeklyBreakdown);
}

TEST_F(ContentViewModelTest, DateRangeEndsNowForTodayAndAtTheLastSecondOfAPastDay) {
    EXPECT_EQ(model->dateRange(on7th(10)), std::make_pair(on7th(0), on7th(15)));
    EXPECT_EQ(model->dateRange(on6th(18)), std::make_pair(on6th(0), on7th(0).addingTimeInterval(-1)));
    setDefaultTimeZone("America/New_York"); // 10:00 at New York, still the 7th there
    EXPECT_EQ(model->dateRange(on7th(15)).first, on7th(5));
}

TEST_F(ContentViewModelTest, ADayThatSkipsItsMidnightEndsWhereTheNextDayStarts) {
    setDefaultTimeZone("America/Santiago");
    // On 2026-09-06 the clocks jump from 00:00 to 01:00: the day runs from 01:00 for 23 hours.
    const Date start = Date::fromUnixTime(1788667200);
    const Date nextDay = Date::fromUnixTime(1788750000);
    const auto expected = std::make_pair(start, nextDay.addingTimeInterval(-1));
    EXPECT_EQ(model->dateRange(start.addingTimeInterval(3600)), expected);
    EXPECT_EQ(std::make_shared<ChatViewModel>(service, "TODAY")->dateRange("2026-09-06"), expected);
}

TEST_F(ContentViewModelTest, FreshAnalysisAsksGeminiStoresAndPublishesTheDay) {
    answerGemini(200, geminiTextReply("```json\n" + answer + "\n```"));
    run(model->refreshAnalysis());

    ASSERT_EQ(gemini.requestCount(), 1u);
    EXPECT_EQ(gemini.requests()[0].header("x-goog-api-key"), "test-gemini-key");
    EXPECT_EQ(lastPrompt().rfind(PreferencesModel::shared()->categorizationPrompt() + "\n\nUnified Activity Report:\n{", 0), 0u);
    EXPECT_THAT(lastPrompt(), HasSubstr("Code Editor"));
    EXPECT_TRUE(logged("Categories before query: Create, Consume, Communicate"));
    EXPECT_TRUE(logged("combinedPrompt"));

    EXPECT_EQ(model->activityBreakdown.get(), (std::vector<TimeBreakdownEntry>{{"Create", 67, "Code Editor, Terminal"},
                                                                             {"Communicate", 33, "Slack"}}));
    EXPECT_EQ(model->focusScore.get(), "A+");
    EXPECT_EQ(model->totalComputerTime.get(), 10800);
    ASSERT_EQ(model->activities->size(), 3u);
    EXPECT_EQ(model->activities.get()[0].description, "Refactoring the parser");
    EXPECT_EQ(model->activities.get()[0].duration, 7200);
    EXPECT_EQ(model->activities.get()[1].timestamp, on7th(11, 30));
    EXPECT_EQ(model->activities.get()[2].description, "General computer usage");
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_EQ(loadingStarts, 1);
    EXPECT_EQ(model->lastUpdateTime.get(), on7th(15));

    const auto stored = storedAnswer("2026-12-07");
    ASSERT_TRUE(stored);
    const auto storedJSON = nlohmann::json::parse(*stored);
    EXPECT_EQ(storedJSON["total_minutes"], 180);
    EXPECT_EQ(storedJSON["categories"].size(), 2u);
    ASSERT_EQ(model->weekData->size(), 7u);
    ASSERT_TRUE(model->weekData.get()[0]);
    EXPECT_EQ(model->weekData.get()[0]->date, "2026-12-07");

    const auto& history = PreferencesModel::shared()->historicalActivities.get();
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].description, "Refactoring the parser");
    EXPECT_EQ(history[0].formattedDuration, "2h 0m");
    EXPECT_EQ(history[0].timeframe, "2026-12-07");

    model->copyReportSummary();
    EXPECT_EQ(pasteboard->string(), model->generateReportSummary());
    EXPECT_THAT(*pasteboard->string(), HasSubstr("- 67% Create: Code Editor, Terminal\n"));
    EXPECT_THAT(*pasteboard->string(), HasSubstr("- Refactoring the parser (2h 0m)\n"));
}

// A busy day's prompt runs to megabytes and an answer may run to 32 MiB: written, printed or read on
// the main loop they would freeze the window.
TEST_F(ContentViewModelTest, ThePromptIsWrittenAndPrintedAndTheAnswerReadOffTheMainLoop) {
    answerGemini(200, geminiTextReply(answer));
    run(model->refreshAnalysis());
    const auto lines = logs();
    EXPECT_LT(std::find(lines.begin(), lines.end(), "Categories before query: Create, Consume, Communicate"),
              std::find(lines.begin(), lines.end(), "combinedPrompt"));
    const auto offTheMainLoop = logsOffTheMainLoop();
    const auto title = std::find(offTheMainLoop.begin(), offTheMainLoop.end(), "combinedPrompt");
    ASSERT_TRUE(title != offTheMainLoop.end() && title + 1 != offTheMainLoop.end());
    EXPECT_EQ(title[1], lastPrompt()) << "the prompt printed is the one sent";
    EXPECT_THAT(offTheMainLoop, ::testing::Contains(::testing::StartsWith("Categories from JSON: ")));
}

TEST_F(ContentViewModelTest, StoredAnswerIsReusedUpTo14399SecondsAndAskedAgainAt14400) {
    answerGemini(200, geminiTextReply(answer));
    run(model->refreshAnalysis());
    ASSERT_EQ(gemini.requestCount(), 1u);
    const std::size_t historySize = PreferencesModel::shared()->historicalActivities->size();

    loop->advance(14399);
    const auto fresh = std::make_shared<ContentViewModel>(service);
    int starts = 0;
    const Subscription observer = fresh->isLoading.didChange.connect([&](const bool& loading) { starts += loading; });
    run(fresh->refreshAnalysis());
    EXPECT_EQ(gemini.requestCount(), 1u);
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(fresh->lastUpdateTime.get(), on7th(15).addingTimeInterval(14399)); // from its creation, untouched
    EXPECT_EQ(fresh->activityBreakdown->size(), 2u);
    EXPECT_EQ(fresh->totalComputerTime.get(), 10800);
    // Re-applying a stored answer does not remember the activities again.
    EXPECT_EQ(PreferencesModel::shared()->historicalActivities->size(), historySize);

    loop->advance(1);
    run(fresh->refreshAnalysis());
    EXPECT_EQ(gemini.requestCount(), 2u);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(fresh->lastUpdateTime.get(), on7th(19));
    // A fresh analysis of the same day replaces that day's remembered activities.
    EXPECT_EQ(PreferencesModel::shared()->historicalActivities->size(), historySize);
}

TEST_F(ContentViewModelTest, PastDayIsAnalysedOverItsWholeDayAndFiledUnderItsOwnDay) {
    answerGemini(200, geminiTextReply(answer));
    run(model->refreshAnalysis(on6th(18)));
    EXPECT_EQ(model->displayDate.get(), on6th(0));
    EXPECT_EQ(model->totalComputerTime.get(), 3600);
    EXPECT_EQ(model->activityBreakdown.get()[0], (TimeBreakdownEntry{"Create", 50, "Code Editor, Terminal"}));
    EXPECT_EQ(model->activities.get()[0].timestamp, on6th(10));

    EXPECT_TRUE(storedAnswer("2026-12-06"));
    const auto days = ActivityDataManager::shared().loadPastDaysData(2);
    EXPECT_FALSE(days[0]);
    ASSERT_TRUE(days[1]);
    EXPECT_TRUE(days[1]->timeframes.contains("2026-12-06"));

    // A refresh without a date keeps the shown day.
    run(model->refreshAnalysis());
    EXPECT_EQ(model->displayDate.get(), on6th(0));
    EXPECT_EQ(gemini.requestCount(), 1u);
}

TEST_F(ContentViewModelTest, ReplyWithoutTextKeepsThePreviousResults) {
    answerGemini(200, geminiTextReply(answer));
    run(model->refreshAnalysis());
    const auto breakdown = model->activityBreakdown.get();

    answerGemini(200, R"({"candidates": [{"content": {"role": "model", "parts": []}, "finishReason": "STOP"}]})");
    runSettled(model->refreshAnalysis(on6th(9)));
    EXPECT_EQ(gemini.requestCount(), 2u);
    EXPECT_EQ(model->displayDate.get(), on6th(0));
    EXPECT_EQ(model->activityBreakdown.get(), breakdown);
    EXPECT_EQ(model->focusScore.get(), "A+");
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_FALSE(storedAnswer("2026-12-06"));
}

TEST_F(ContentViewModelTest, FailedCallSavesNothingAndTheNextRefreshAsksAgain) {
    answerGemini(500, R"({"error": {"code": 500, "message": "boom", "status": "INTERNAL"}})");
    run(model->refreshAnalysis());
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_TRUE(model->activityBreakdown->empty());
    EXPECT_FALSE(storedAnswer("2026-12-07"));
    const auto lines = logs();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("Error analyzing activities for 2026-12-07 00:00:00 +0000: ", 0) == 0;
    }));
    run(model->refreshAnalysis());
    EXPECT_EQ(gemini.requestCount(), 2u);
}

TEST_F(ContentViewModelTest, WithoutAKeyNothingIsSentAndTheAnalysisFails) {
    environment.unset("GEMINI_API_KEY");
    const auto unconfigured = std::make_shared<ContentViewModel>(service);
    run(unconfigured->refreshAnalysis());
    EXPECT_EQ(gemini.requestCount(), 0u);
    EXPECT_TRUE(logged("Error analyzing activities for 2026-12-07 00:00:00 +0000: Invalid API key: GEMINI_API_KEY is not set"));
    EXPECT_FALSE(unconfigured->isLoading.get());
    EXPECT_EQ(unconfigured->shownFocusScore(), ContentViewModel::noGrade);
}

TEST_F(ContentViewModelTest, ProseAroundTheAnswerIsAParsingErrorAndNothingIsSaved) {
    answerGemini(200, geminiTextReply("Sure! Here it is:\n```json\n" + answer + "\n```\nEnjoy."));
    run(model->refreshAnalysis());
    EXPECT_TRUE(logged("Error processing JSON for 2026-12-07 00:00:00 +0000: invalidJSON(\"Could not parse JSON\")"));
    EXPECT_FALSE(storedAnswer("2026-12-07"));
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_TRUE(model->activityBreakdown->empty());

    answerGemini(200, geminiTextReply("{\"activities\": []}"));
    run(model->refreshAnalysis());
    EXPECT_TRUE(logged("Error processing JSON for 2026-12-07 00:00:00 +0000: missingCategories"));
    EXPECT_FALSE(storedAnswer("2026-12-07"));
}

TEST_F(ContentViewModelTest, StoredFormThatCannotBeWrittenIsNeverSavedAndTheDayIsAskedAgain) {
    struct FailingWriter {
        FailingWriter() {
            setStoredFormWriterForTesting([](const nlohmann::ordered_json&) -> std::string {
                throw std::runtime_error("cannot write");
            });
        }
        ~FailingWriter() { setStoredFormWriterForTesting({}); }
    };
    answerGemini(200, geminiTextReply(answer));
    {
        const FailingWriter failing;
        run(model->refreshAnalysis());
    }
    EXPECT_TRUE(logged("JSON serialization error: cannot write"));
    EXPECT_TRUE(logged("Error processing JSON for 2026-12-07 00:00:00 +0000: invalidJSON(\"Could not serialize JSON\")"));
    EXPECT_FALSE(storedAnswer("2026-12-07"));
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_TRUE(model->activityBreakdown->empty());

    // Nothing stands in the way of the next refresh.
    run(model->refreshAnalysis());
    EXPECT_EQ(gemini.requestCount(), 2u);
    EXPECT_TRUE(storedAnswer("2026-12-07"));
    EXPECT_EQ(model->activityBreakdown->size(), 2u);
}

TEST_F(ContentViewModelTest, StoredAnswerThatIsNotAnObjectPublishesNothing) {
    ActivityDataManager::shared().savePromptResponse("```json\n{}\n```", "2026-12-07");
    run(model->refreshAnalysis());
    EXPECT_EQ(gemini.requestCount(), 0u);
    EXPECT_TRUE(model->activityBreakdown->empty());
    EXPECT_TRUE(model->weekData->empty());
}

// How a refresh ended, as the task that awaited it saw it: as the journal layout starts one for each step.
enum class Ending { running, done, cancelled };

Task<void> refreshRecording(std::shared_ptr<ContentViewModel> model, std::optional<Date> day, Ending& ending) {
    try {
        auto refresh = model->refreshAnalysis(day);
        co_await std::move(refresh);
        ending = Ending::done;
    } catch (const CancellationError&) {
        ending = Ending::cancelled;
    }
}

// A day left while its request awaits the reply: the request ends, and the day gets no answer from it.
TEST_F(ContentViewModelTest, ADayLeftWhileItsRequestRunsEndsItAndKeepsNothingOfIt) {
    ActivityDataManager::shared().savePromptResponse(otherAnswer, "2026-12-07");
    answerGemini(200, geminiTextReply(answer), 0.5);
    Ending left = Ending::running;
    Ending shown = Ending::running;
    startTask(*loop, refreshRecording(model, on6th(9), left));
    ASSERT_TRUE(loop->runUntil([&] { return gemini.requestCount() == 1; }, 10));
    startTask(*loop, refreshRecording(model, on7th(9), shown));
    ASSERT_TRUE(loop->runUntil([&] { return left != Ending::running && shown != Ending::running; }, 20));
    loop->runUntil([] { return pendingContinuationCount() == 0; }, 20);
    loop->runUntilIdle();

    EXPECT_EQ(left, Ending::cancelled);
    EXPECT_EQ(shown, Ending::done);
    EXPECT_FALSE(storedAnswer("2026-12-06"));
    EXPECT_TRUE(PreferencesModel::shared()->historicalActivities->empty());
    EXPECT_EQ(model->displayDate.get(), on7th(0));
    EXPECT_EQ(model->activityBreakdown.get(), (std::vector<TimeBreakdownEntry>{{"Consume", 100, "Slack"}}));
    EXPECT_FALSE(model->isLoading.get());
    const auto lines = logs();
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("Error analyzing activities", 0) == 0;
    })) << "a request ended with its day failed nobody";
}

// The answer had come (the AI took minutes to write it) when the day was left: kept under its own day and
// its activities remembered, but not shown over the day now shown.
TEST_F(ContentViewModelTest, ADayLeftOnceItsAnswerCameKeepsItAndShowsTheDayNowShown) {
    ActivityDataManager::shared().savePromptResponse(otherAnswer, "2026-12-07");
    answerGemini(200, geminiTextReply(answer));
    Ending left = Ending::running;
    Ending shown = Ending::running;
    // The step comes while the answer's stored form is written.
    setStoredFormWriterForTesting([&](const nlohmann::ordered_json& stored) {
        loop->post([&] { startTask(*loop, refreshRecording(model, on7th(9), shown)); });
        return prettyJSON(stored);
    });
    startTask(*loop, refreshRecording(model, on6th(9), left));
    const bool ended = loop->runUntil([&] { return left != Ending::running && shown != Ending::running; }, 20);
    setStoredFormWriterForTesting({});
    ASSERT_TRUE(ended);
    loop->runUntilIdle();

    EXPECT_EQ(left, Ending::done);
    EXPECT_TRUE(storedAnswer("2026-12-06"));
    EXPECT_EQ(PreferencesModel::shared()->historicalActivities->size(), 3u);
    EXPECT_EQ(model->displayDate.get(), on7th(0));
    EXPECT_EQ(model->activityBreakdown.get(), (std::vector<TimeBreakdownEntry>{{"Consume", 100, "Slack"}}));
    EXPECT_EQ(model->focusScore.get(), "F");
    EXPECT_EQ(model->totalComputerTime.get(), 10800);
    EXPECT_EQ(gemini.requestCount(), 1u);
}

// The first start after an upgrade: the monitor converts an older version's record file of 40 days
// behind its start, and every report waits for that conversion, held here until endConversion().
class DuringTheConversionTest : public ContentViewModelTest {
protected:
    DuringTheConversionTest() {
        ActivityRecordFile::setWholeReadLimitForTesting(1024); // past it, a file is converted
        const auto recordFile = directory.path() / "Upgraded" / ActivityRecordFile::fileName;
        std::vector<ActivityRecordValue> records;
        for (int day = 0; day < 40; ++day) {
            records.push_back({UUID::random(), "Code Editor", on7th(10).addingTimeInterval(-86400.0 * day), 3600, 3000,
                               "day " + std::to_string(day) + " back"});
        }
        std::filesystem::create_directories(recordFile.parent_path());
        writeFileAtomically(recordFile, encodeActivityRecords(records));
        monitor->flushRecordFile(); // what the monitor before it wrote is not held
        conversion_.emplace();
        startServices(recordFile);
        model = std::make_shared<ContentViewModel>(service);
        answerGemini(200, geminiTextReply(answer));
    }
    ~DuringTheConversionTest() override {
        endConversion();
        monitor->flushRecordFile();
        conversion_.reset();
        ActivityRecordFile::setWholeReadLimitForTesting(std::nullopt);
    }

    void endConversion() { conversion_->release(); }

    // The journal layout's step to the day before the one shown, its refresh started as the layout starts
    // it; the day then stays shown long enough for its report to be asked for.
    Ending& step(std::deque<Ending>& endings) {
        const Date day = Calendar::current().addingDays(model->displayDate.get(), -1);
        Ending& ending = endings.emplace_back(Ending::running);
        startTask(*loop, refreshRecording(model, day, ending));
        loop->advance(ShownDayWork::settleSeconds);
        return ending;
    }

    static bool allEnded(const std::deque<Ending>& endings) {
        return std::none_of(endings.begin(), endings.end(), [](Ending ending) { return ending == Ending::running; });
    }

private:
    // The writes of the record file's writer thread, the conversion's first day file on.
    std::optional<HeldWrites> conversion_;
};

// Thirty clicks on the day arrow while every report waits: what each day passed over asked for is dropped
// before its request goes out, and the day landed on is analysed, stored and shown.
TEST_F(DuringTheConversionTest, SteppingThroughDaysAsksOnlyForTheDayLandedOn) {
    std::deque<Ending> endings;
    for (int i = 0; i < 30; ++i) step(endings);
    const Date landed = on7th(0).addingTimeInterval(-30 * 86400.0);
    ASSERT_EQ(model->displayDate.get(), landed);
    EXPECT_EQ(gemini.requestCount(), 0u) << "the reports wait for the conversion";

    endConversion();
    ASSERT_TRUE(loop->runUntil([&] { return allEnded(endings); }, 20));
    loop->runUntil([] { return pendingContinuationCount() == 0; }, 20);
    loop->runUntilIdle();

    EXPECT_EQ(gemini.requestCount(), 1u);
    EXPECT_THAT(lastPrompt(), HasSubstr("day 30 back"));
    EXPECT_THAT(lastPrompt(), ::testing::Not(HasSubstr("day 29 back")));
    EXPECT_EQ(std::count(endings.begin(), endings.end(), Ending::cancelled), 29);
    EXPECT_EQ(endings.back(), Ending::done);
    EXPECT_EQ(model->analysedDay.get(), landed);
    EXPECT_EQ(model->activityBreakdown.get(), (std::vector<TimeBreakdownEntry>{{"Create", 100, "Code Editor, Terminal"}}));
    EXPECT_EQ(model->totalComputerTime.get(), 3600);
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_TRUE(storedAnswer("2026-11-07"));
    EXPECT_FALSE(storedAnswer("2026-11-08")) << "a day passed over";
    EXPECT_FALSE(storedAnswer("2026-12-06"));
}

// A refresh of the day shown (the layout coming on screen again, a dashboard's) leaves its analysis running.
TEST_F(DuringTheConversionTest, ARefreshOfTheShownDayLeavesItsAnalysisRunning) {
    std::deque<Ending> endings;
    step(endings);
    Ending& again = endings.emplace_back(Ending::running);
    startTask(*loop, refreshRecording(model, std::nullopt, again));
    loop->runUntilIdle();
    endConversion();
    ASSERT_TRUE(loop->runUntil([&] { return allEnded(endings); }, 20));
    loop->runUntilIdle();

    EXPECT_EQ(endings.front(), Ending::done);
    EXPECT_EQ(again, Ending::done);
    EXPECT_EQ(model->analysedDay.get(), on6th(0));
    EXPECT_TRUE(storedAnswer("2026-12-06"));
}

// Five descriptions of 900 KiB: unbounded, the per-day store and the settings file each passed 4 MiB,
// and past its writer's bound the settings file lost every later setting.
TEST_F(ContentViewModelTest, AnAnswerOfHugeDescriptionsIsStoredWithinItsBounds) {
    nlohmann::json huge = {{"categories", {{{"type", "Create"}, {"apps", "Code Editor"}}}}, {"activities", nlohmann::json::array()}};
    for (char letter = 'a'; letter < 'f'; ++letter) huge["activities"].push_back({{"description", std::string(900 * 1024, letter)}});
    answerGemini(200, geminiTextReply(huge.dump()));
    run(model->refreshAnalysis());
    ASSERT_EQ(model->activities->size(), 5u);
    EXPECT_EQ(model->activities.get()[4].description, std::string(storedAnswerTextLimit - 3, 'e') + "...");
    ASSERT_EQ(PreferencesModel::shared()->historicalActivities->size(), 5u);

    UserDefaults& settings = UserDefaults::standard();
    settings.flush();
    EXPECT_LE(std::filesystem::file_size(settings.filePath()), std::uintmax_t{4} << 20);
    EXPECT_LE(std::filesystem::file_size(*ActivityDataManager::shared().dataFilePath()), std::uintmax_t{4} << 20);
    model->setSelectedComponent(BottomPanelType::appFocus);
    settings.flush();
    EXPECT_EQ(UserDefaults(settings.filePath()).string("selectedBottomComponent"), "App Focus");
}

// A reply asked for before the stores were cleared was made from what they held: neither stored nor shown.
TEST_F(ContentViewModelTest, AnAnalysisAnsweredAfterAClearIsNeitherStoredNorShown) {
    answerGemini(200, geminiTextReply(answer), 0.3);
    const TaskHandle refresh = startTask(*loop, model->refreshAnalysis());
    ASSERT_TRUE(loop->runUntil([&] { return gemini.requestCount() == 1; }, 10));
    // The stores' own clears, which "Clear All Data" and a change of categories call.
    ActivityDataManager::shared().clearAllData();
    PreferencesModel::shared()->clearHistory();
    ASSERT_TRUE(loop->runUntil([&] { return refresh.isFinished(); }, 20));
    loop->runUntilIdle();
    EXPECT_FALSE(storedAnswer("2026-12-07"));
    EXPECT_TRUE(PreferencesModel::shared()->historicalActivities->empty());
    EXPECT_TRUE(model->activityBreakdown->empty());

    answerGemini(200, geminiTextReply(answer));
    run(model->refreshAnalysis());
    EXPECT_TRUE(storedAnswer("2026-12-07")) << "a refresh begun after the clear is stored";
}

// The quit cancels every task: an answer that has arrived (the AI took minutes to write it) is stored
// and its activities remembered all the same.
TEST_F(ContentViewModelTest, ACancelOnceTheAnswerHasArrivedLeavesItStoredAndItsActivitiesRemembered) {
    answerGemini(200, geminiTextReply(answer));
    // The answer's stored form is written once its text has arrived: the cancel comes there.
    setStoredFormWriterForTesting([](const nlohmann::ordered_json& stored) {
        cancelAllTasks();
        return prettyJSON(stored);
    });
    const TaskHandle refresh = startTask(*loop, model->refreshAnalysis());
    const bool finished = loop->runUntil([&] { return refresh.isFinished(); }, 20);
    setStoredFormWriterForTesting({});
    ASSERT_TRUE(finished);
    loop->runUntilIdle();
    EXPECT_TRUE(storedAnswer("2026-12-07"));
    EXPECT_EQ(PreferencesModel::shared()->historicalActivities->size(), 3u);
}

TEST_F(ContentViewModelTest, ApplyingAStoredAnswerDirectlyPublishesIt) {
    run(model->applyAnalysisResult(otherAnswer, on7th(0)));
    EXPECT_EQ(model->activityBreakdown.get(), (std::vector<TimeBreakdownEntry>{{"Consume", 100, "Slack"}}));
    EXPECT_EQ(model->totalComputerTime.get(), 10800);
    EXPECT_EQ(model->activities->size(), 3u);
    EXPECT_EQ(model->weekData->size(), 7u);
    EXPECT_EQ(model->generateJournalSummary(""),
              "HOW YOU USED YOUR TIME:\n- 100% Consume: Slack\n\n🚀 PROJECTS & WORK HIGHLIGHTS:\nNo highlights available.\n");
}

} // namespace
} // namespace glimmo::testing
