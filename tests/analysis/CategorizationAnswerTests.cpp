#include "analysis/CategorizationAnswer.h"
#include "app/ActivityReport.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <limits>

namespace glimmo {
namespace {

const Date shownDay = Date::fromUnixTime(1796601600.0);

UnifiedActivity measured(std::string name, double seconds, double minutesIntoDay = 0) {
    UnifiedActivity activity;
    activity.name = std::move(name);
    activity.duration = seconds;
    activity.timestamp = shownDay.addingTimeInterval(minutesIntoDay * 60);
    return activity;
}

std::vector<Category> defaultCategories() {
    return {{UUID::random(), "Create", true}, {UUID::random(), "Consume", false}, {UUID::random(), "Communicate", true}};
}

class QuietLog : public ::testing::Test {
protected:
    QuietLog() {
        setLogSinkForTesting([this](LogLevel, std::string_view line) { lines.emplace_back(line); });
    }
    ~QuietLog() override { setLogSinkForTesting({}); }
    std::vector<std::string> lines;
};

using Enrichment = QuietLog;
using Application = QuietLog;

const std::vector<UnifiedActivity> day = {measured("Code Editor", 3600, 60), measured("Slack", 1800, 30),
                                          measured("youtube.com", 1800, 90), measured("Terminal", 0, 5)};

TEST_F(Enrichment, FencedAnswerGivesMeasuredSharesAndMinutes) {
    const std::string answer = "\n  ```json\n{\"categories\": [{\"type\": \"Create\", \"apps\": \"code editor, Terminal\", "
                               "\"note\": 1}, {\"type\": \"Communicate\", \"apps\": \"SLACK\"}, {\"type\": \"Consume\", "
                               "\"apps\": \"nothing measured\"}], \"activities\": [{\"description\": \"Wrote\", \"apps\": "
                               "[\"Code Editor\"]}]}\n```\n ";
    const auto stored = nlohmann::json::parse(enrichCategorizationAnswer(answer, 7259.9, day, defaultCategories()));
    EXPECT_EQ(stored["total_minutes"], 120);
    EXPECT_EQ(stored["active_minutes"], 120);
    ASSERT_EQ(stored["categories"].size(), 2u); // Consume matched nothing and is left out
    EXPECT_EQ(stored["categories"][0], nlohmann::json::parse(R"({"type":"Create","apps":"code editor, Terminal","note":1,"percentage":67})"));
    EXPECT_EQ(stored["categories"][1]["percentage"], 33);
    EXPECT_EQ(stored["activities"], nlohmann::json::parse(R"([{"description":"Wrote","apps":["Code Editor"]}])"));
}

TEST_F(Enrichment, LaterCategoryOfTheSameTypeReplacesTheEarlierAndUnknownTypesCount) {
    const std::string answer = R"({"categories": [{"type": "Create", "apps": "Slack"}, {"type": "Create", "apps": "Code"},
        {"type": "Gaming", "apps": "youtube"}, {}, {"type": "Consume"}], "activities": "not a list"})";
    const auto stored = nlohmann::json::parse(enrichCategorizationAnswer(answer, 0, day, defaultCategories()));
    EXPECT_EQ(stored["total_minutes"], 0);
    ASSERT_EQ(stored["categories"].size(), 2u);
    // The first answer category of the type is the one copied, with the share of the later one.
    EXPECT_EQ(stored["categories"][0], nlohmann::json::parse(R"({"type":"Create","apps":"Slack","percentage":67})"));
    EXPECT_EQ(stored["categories"][1], nlohmann::json::parse(R"({"type":"Gaming","apps":"youtube","percentage":33})"));
    EXPECT_EQ(stored["activities"], nlohmann::json::array());
}

TEST_F(Enrichment, EmptyCategoryListIsStoredEmpty) {
    const auto stored = nlohmann::json::parse(enrichCategorizationAnswer(R"({"categories": []})", 600, day, defaultCategories()));
    EXPECT_EQ(stored["categories"], nlohmann::json::array());
    EXPECT_EQ(stored["total_minutes"], 10);
}

TEST_F(Enrichment, UnusableAnswersRaiseTheirCase) {
    const auto failure = [](const std::string& answer) {
        try {
            (void)enrichCategorizationAnswer(answer, 0, day, defaultCategories());
        } catch (const JSONParsingError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure("Here is the breakdown:\n```json\n{\"categories\": []}\n```\nHope it helps!"),
              "invalidJSON(\"Could not parse JSON\")");
    EXPECT_EQ(failure("[1, 2]"), "invalidJSON(\"Could not parse JSON\")");
    EXPECT_EQ(failure("{\"categories\": [\"\xff\"]}"), "invalidJSON(\"Could not convert response to data\")");
    EXPECT_EQ(failure("{}"), "missingCategories");
    EXPECT_EQ(failure(R"({"categories": [{"type": "Create"}, 3]})"), "missingCategories");
    EXPECT_EQ(failure(R"({"categories": "Create"})"), "missingCategories");
}

TEST_F(Enrichment, StoredFormThatCannotBeWrittenIsAnErrorNotTheRawAnswer) {
    std::string written;
    setStoredFormWriterForTesting([&](const nlohmann::ordered_json& stored) -> std::string {
        written = stored.dump();
        throw std::runtime_error("invalid UTF-8 byte at index 3");
    });
    std::string failure = "no error";
    try {
        (void)enrichCategorizationAnswer(R"({"categories": [{"type": "Create", "apps": "Code"}]})", 60, day,
                                         defaultCategories());
    } catch (const JSONParsingError& error) {
        failure = error.what();
    }
    setStoredFormWriterForTesting({});
    EXPECT_EQ(failure, "invalidJSON(\"Could not serialize JSON\")");
    EXPECT_EQ(lines, std::vector<std::string>{"JSON serialization error: invalid UTF-8 byte at index 3"});
    EXPECT_EQ(written, R"({"total_minutes":1,"active_minutes":1,"categories":[{"type":"Create","apps":"Code","percentage":100}],"activities":[]})");

    // With the library's writer nothing unwritable gets that far: text that is not UTF-8, escaped
    // or raw, is refused while reading.
    EXPECT_THROW((void)enrichCategorizationAnswer(R"({"categories": [{"type": "\ud800", "apps": "Code"}]})", 60, day,
                                                  defaultCategories()),
                 JSONParsingError);
    EXPECT_THROW((void)enrichCategorizationAnswer("{\"categories\": [{\"type\": \"\xC3\", \"apps\": \"Code\"}]}", 60, day,
                                                  defaultCategories()),
                 JSONParsingError);
}

TEST_F(Enrichment, HostileAnswersEndInTheTypedErrorOrAreIgnored) {
    const std::string deep = R"({"categories": [{"type": "Create", "apps": "Code", "x": )" + std::string(20000, '[') +
                             std::string(20000, ']') + "}]}";
    const std::vector<std::string> unusable = {deep, R"({"categories": [{"type": "Create", "apps": "Code", "n": -1e999}]})"};
    for (const auto& answer : unusable) {
        EXPECT_THROW((void)enrichCategorizationAnswer(answer, 60, day, defaultCategories()), JSONParsingError);
        EXPECT_FALSE(applyCategorizationAnswer(answer, day, defaultCategories(), shownDay));
    }
    // Values of the wrong kind, or numbers no integer holds, are skipped rather than converted.
    const std::string odd = R"({"categories": [{"type": 1e308, "apps": "Code"}, {"type": "Create", "apps": 18446744073709551616},
        {"type": "Create", "apps": ["Code", 7]}], "activities": [{"description": 12, "apps": "Code"}, {"description": "x", "apps": [1e300]}]})";
    const auto stored = nlohmann::json::parse(enrichCategorizationAnswer(odd, 60, day, defaultCategories()));
    EXPECT_EQ(stored["categories"], nlohmann::json::array());
    const auto applied = applyCategorizationAnswer(odd, day, defaultCategories(), shownDay);
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied->breakdown, (std::vector<TimeBreakdownEntry>{{"Untracked", 100, "No activity data available"}}));
    EXPECT_EQ(applied->activities[0].description, "x");
}

TEST(ShareRule, RoundsHalvesAwayFromZeroAndIgnoresEmptyTotals) {
    EXPECT_EQ(shareOf(1, 8), 13);   // 12.5
    EXPECT_EQ(shareOf(1, 3), 33);
    EXPECT_EQ(shareOf(2, 3), 67);
    EXPECT_EQ(shareOf(5, 0), 0);
    EXPECT_EQ(shareOf(5, -1), 0);
}

// Durations come from files anyone can edit, so a share may lie far beyond a hundred: a category's and a
// report row's alike read as the most an int holds, never as whatever an overflowing cast gives.
TEST(ShareRule, SharesPastTheRangeOfAnIntAreTheMostItHolds) {
    constexpr int most = std::numeric_limits<int>::max();
    EXPECT_EQ(shareOf(1e12, 1), most);
    EXPECT_EQ(makeActivityReport({measured("Editor", 1e12)}, 1).categories.at(0).percent, most);
}

TEST(MatchingRule, PiecesAreTrimmedLowerCasedAndEmptyPiecesMatchNothing) {
    EXPECT_EQ(categoryDuration(" slack,\tCODE ,", day), 5400);
    EXPECT_EQ(categoryDuration(", ,", day), 0);
    EXPECT_EQ(categoryDuration("", day), 0);
    EXPECT_EQ(categoryDuration("tube", day), 1800);
    // The activity report's own listing, durations and all, names its applications.
    EXPECT_EQ(categoryDuration("Code Editor (1h 0m), Slack (30m)", day), 5400);
    EXPECT_EQ(categoryDuration("Slack (soon), Code (1h)", day), 0);
}

TEST(Normalisation, ExamplesOfTheDashboard) {
    std::vector<TimeBreakdownEntry> thirds = {{"A", 33, ""}, {"B", 33, ""}, {"C", 33, ""}};
    normalizeBreakdown(thirds);
    EXPECT_EQ(thirds[0].percent, 34);
    EXPECT_EQ(thirds[1].percent, 33);

    std::vector<TimeBreakdownEntry> over = {{"A", 34, ""}, {"B", 34, ""}, {"C", 34, ""}};
    normalizeBreakdown(over);
    EXPECT_EQ(over[0].percent, 32);
    EXPECT_EQ(over[2].percent, 34);

    std::vector<TimeBreakdownEntry> laterLargest = {{"A", 10, ""}, {"B", 50, ""}, {"C", 50, ""}};
    normalizeBreakdown(laterLargest);
    EXPECT_EQ(laterLargest[1].percent, 40);
    EXPECT_EQ(laterLargest[2].percent, 50);

    std::vector<TimeBreakdownEntry> zeros = {{"A", 0, "x"}, {"B", 0, "y"}};
    normalizeBreakdown(zeros);
    EXPECT_EQ(zeros, (std::vector<TimeBreakdownEntry>{{"Untracked", 100, "No activity data available"}}));

    std::vector<TimeBreakdownEntry> none;
    normalizeBreakdown(none);
    EXPECT_TRUE(none.empty());

    // Forty rows of 2.5 % each round up to 3: the surplus of 20 cannot all come from one row.
    std::vector<TimeBreakdownEntry> many(40, TimeBreakdownEntry{"A", 3, ""});
    normalizeBreakdown(many);
    int sum = 0;
    for (const auto& row : many) {
        EXPECT_GE(row.percent, 0);
        sum += row.percent;
    }
    EXPECT_EQ(sum, 100);
}

TEST_F(Application, BreakdownKeepsOnlyUserCategoriesAndSumsTo100) {
    const std::string stored = R"({"total_minutes": 1, "categories": [
        {"type": "Create", "apps": "Code Editor"}, {"type": "Apps", "apps": "Slack"}, {"type": "Gaming", "apps": "youtube"},
        {"type": "Communicate", "apps": ["Slack", "Mail"]}, {"type": "Consume", "apps": "youtube.com, Terminal"}, {}]})";
    const auto applied = applyCategorizationAnswer(stored, day, defaultCategories(), shownDay);
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied->breakdown, (std::vector<TimeBreakdownEntry>{{"Create", 100 - 33, "Code Editor"},
                                                                   {"Communicate", 0, "Slack, Mail"},
                                                                   {"Consume", 33, "youtube.com, Terminal"}}));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Categories during parsing: Create, Consume, Communicate"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Categories from JSON: Create, Apps, Gaming, Communicate, Consume"),
              lines.end());
}

TEST_F(Application, CategoriesMatchingNothingBecomeUntrackedAndMissingAppsReadVariousApps) {
    const auto untracked = applyCategorizationAnswer(R"({"categories": [{"type": "Create", "apps": "Photoshop"}, {"type": "Consume"}]})",
                                                     day, defaultCategories(), shownDay);
    ASSERT_TRUE(untracked);
    EXPECT_EQ(untracked->breakdown, (std::vector<TimeBreakdownEntry>{{"Untracked", 100, "No activity data available"}}));

    const auto various = applyCategorizationAnswer(R"({"categories": [{"type": "Create", "apps": "Code"}, {"type": "Consume"}]})",
                                                   day, defaultCategories(), shownDay);
    ASSERT_TRUE(various);
    EXPECT_EQ(various->breakdown[1], (TimeBreakdownEntry{"Consume", 0, "Various apps"}));
    EXPECT_EQ(various->breakdown[0].percent, 100);
}

TEST_F(Application, RepeatedTypesGiveOneRowAndEchoedReportNamesMatch) {
    const std::vector<Category> work = {{UUID::random(), "Work", true}};
    const auto applied = applyCategorizationAnswer(R"json({"categories": [{"type": "Work", "apps": "Slack"},
        {"type": "Work"}, {"type": "Work", "apps": "Code Editor (1h 0m), Terminal (0m)"}],
        "activities": [{"description": "Coding", "apps": ["Code Editor (1h 0m)"]}]})json", day, work, shownDay);
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied->breakdown, (std::vector<TimeBreakdownEntry>{{"Work", 100, "Code Editor (1h 0m), Terminal (0m)"}}));
    EXPECT_EQ(applied->activities[0].duration, 3600);
}

TEST_F(Application, FencedOrNonObjectTextIsIgnored) {
    EXPECT_FALSE(applyCategorizationAnswer("```json\n{\"categories\": []}\n```", day, defaultCategories(), shownDay));
    EXPECT_FALSE(applyCategorizationAnswer("[]", day, defaultCategories(), shownDay));
    EXPECT_FALSE(applyCategorizationAnswer("", day, defaultCategories(), shownDay));
}

TEST_F(Application, ActivitiesAreMeasuredAndPaddedToThreeToFive) {
    const auto applied = applyCategorizationAnswer(R"({"categories": [], "activities": [
        {"description": "Chatting on slack about youtube clips", "apps": []},
        {"description": "Editing", "apps": ["EDITOR", "term"]},
        {"description": "Designing", "apps": ["Photoshop"]},
        {"apps": ["Slack"]}, {}]})", day, defaultCategories(), shownDay);
    ASSERT_TRUE(applied);
    EXPECT_TRUE(applied->breakdown.empty());
    ASSERT_EQ(applied->activities.size(), 3u);
    EXPECT_EQ(applied->activities[0].description, "Chatting on slack about youtube clips");
    EXPECT_EQ(applied->activities[0].duration, 1800); // "slack" is named; "youtube.com" is not contained
    EXPECT_EQ(applied->activities[0].timestamp, shownDay.addingTimeInterval(30 * 60));
    EXPECT_EQ(applied->activities[1].duration, 3600);
    EXPECT_EQ(applied->activities[1].timestamp, shownDay.addingTimeInterval(60 * 60));
    EXPECT_EQ(applied->activities[2].duration, 0);
    EXPECT_EQ(applied->activities[2].timestamp, shownDay);
    EXPECT_TRUE(applied->activities[2].searchUrl);

    const auto texts = applyCategorizationAnswer(R"({"activities": ["Watching youtube.com and slack", "x"]})", day,
                                                 defaultCategories(), shownDay);
    ASSERT_TRUE(texts);
    ASSERT_EQ(texts->activities.size(), 3u);
    EXPECT_EQ(texts->activities[0].duration, 3600);
    EXPECT_EQ(texts->activities[2].description, "General computer usage");
    EXPECT_FALSE(texts->activities[2].searchUrl);

    const auto none = applyCategorizationAnswer(R"({"categories": []})", day, defaultCategories(), shownDay);
    ASSERT_TRUE(none);
    ASSERT_EQ(none->activities.size(), 3u);
    EXPECT_EQ(none->activities[0].description, "No specific activities detected for this day.");
    EXPECT_EQ(none->activities[1].description, "General computer usage");
    EXPECT_EQ(none->activities[2].description, "General computer usage");
    EXPECT_EQ(none->activities[0].timestamp, shownDay);

    const auto seven = applyCategorizationAnswer(R"({"activities": ["1", "2", "3", "4", "5", "6", "7"]})", day,
                                                 defaultCategories(), shownDay);
    ASSERT_TRUE(seven);
    ASSERT_EQ(seven->activities.size(), 5u);
    EXPECT_EQ(seven->activities[4].description, "5");

    const auto four = applyCategorizationAnswer(R"({"activities": ["1", "2", "3", "4"]})", day, defaultCategories(), shownDay);
    EXPECT_EQ(four->activities.size(), 4u);
}

TEST(SearchLink, QueryValueCannotBeBrokenOrExtended) {
    const std::string link = searchURL("Fix A&B=c+d 100% done?");
    EXPECT_EQ(link, "https://chatgpt.com/?model=gpt-4&prompt=Fix%20A%26B%3Dc%2Bd%20100%25%20done%3F");
    const auto parsed = URL::parse(link);
    ASSERT_TRUE(parsed);
    const auto items = parsed->queryItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].name, "prompt");
    EXPECT_EQ(items[1].value, "Fix A&B=c+d 100% done?");
    EXPECT_EQ(searchURL("Résumé"), "https://chatgpt.com/?model=gpt-4&prompt=R%C3%A9sum%C3%A9");
}

} // namespace
} // namespace glimmo
