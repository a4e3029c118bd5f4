#include "AnalysisFixture.h"

#include "analysis/ChatViewModel.h"
#include "analysis/JournalHighlightsModel.h"
#include "analysis/JournalPrompt.h"
#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Text.h"
#include "platform/runtime/BackgroundQueue.h"

#include <gmock/gmock.h>

#include <thread>

namespace glimmo::testing {
namespace {

using ::testing::HasSubstr;

std::string storedBytes(const std::string& key = "journalPromptCache") {
    const auto bytes = UserDefaults::standard().data(key);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

// The cache's answer for the date's day, its text as a string.
std::pair<std::optional<std::string>, bool> cached(Date date) {
    const auto [text, expired] = JournalPromptCache::shared().getResponse(date);
    return {text ? std::optional<std::string>(**text) : std::nullopt, expired};
}

void storeBytes(const std::string& text) {
    UserDefaults::standard().set("journalPromptCache", std::vector<std::uint8_t>(text.begin(), text.end()));
}

class JournalPromptCacheTest : public AnalysisFixture {
protected:
    JournalPromptCache& cache = JournalPromptCache::shared();
};

TEST_F(JournalPromptCacheTest, StoredFormIsByteExactAndReadsBack) {
    loop->advance(0.25);
    cache.saveResponse("- **Docs/Wiki** \"notes\" \xF0\x9F\x93\x9D\n\ttab", on7th(10));
    // Local midnight of the 7th is 818294400 s after 2001; saved at 818348400.25.
    const std::string entry = R"({"response":"- **Docs\/Wiki** \"notes\" )" "\xF0\x9F\x93\x9D" R"(\n\ttab","timestamp":818348400.25})";
    EXPECT_EQ(storedBytes(), "[818294400,\"" + base64Encode(entry) + "\"]");

    const auto [text, expired] = cached(on7th(23, 59));
    EXPECT_EQ(text, "- **Docs/Wiki** \"notes\" \xF0\x9F\x93\x9D\n\ttab");
    EXPECT_FALSE(expired);

    const auto dictionary = cache.loadCache();
    ASSERT_EQ(dictionary.size(), 1u);
    EXPECT_EQ(dictionary.begin()->first, on7th(0));
    EXPECT_EQ(dictionary.begin()->second, entry);
    EXPECT_EQ(encodeJournalCache(decodeJournalCache(storedBytes())), storedBytes());
}

TEST_F(JournalPromptCacheTest, ReadersAcceptPairsAndMembersInAnyOrder) {
    const std::string later = R"({"timestamp": 818348400.0, "response": "later day"})";
    const std::string earlier = R"({"response":"earlier day","timestamp":818262000})";
    storeBytes("[818294400.0, \"" + base64Encode(later) + "\", 818208000, \"" + base64Encode(earlier) + "\"]");
    EXPECT_EQ(cached(on7th(12)).first, "later day");
    EXPECT_EQ(cached(on7th(12).addingTimeInterval(-86400)).first, "earlier day");
    EXPECT_EQ(cache.loadCache().size(), 2u);

    // A day written twice keeps its later entry, and the other days stay readable.
    storeBytes("[818294400, \"" + base64Encode(later) + "\", 818208000, \"" + base64Encode(earlier) + "\", 818294400, \"" +
               base64Encode(R"({"response":"rewritten","timestamp":818348400})") + "\"]");
    EXPECT_EQ(cached(on7th(12)).first, "rewritten");
    EXPECT_EQ(cached(on7th(12).addingTimeInterval(-86400)).first, "earlier day");
}

TEST_F(JournalPromptCacheTest, ExpiresStrictlyAfter14400Seconds) {
    cache.saveResponse("journal", on7th(1));
    loop->advance(14400);
    EXPECT_EQ(cached(on7th(1)), std::make_pair(std::optional<std::string>("journal"), false));
    loop->advance(1);
    // An expired entry still gives its text; the caller ignores it.
    EXPECT_EQ(cached(on7th(1)), std::make_pair(std::optional<std::string>("journal"), true));

    // An entry stamped in the future (the clock was set back) is fresh.
    storeBytes("[818294400,\"" + base64Encode(R"({"response":"ahead","timestamp":900000000})") + "\"]");
    EXPECT_EQ(cached(on7th(1)), std::make_pair(std::optional<std::string>("ahead"), false));
}

TEST_F(JournalPromptCacheTest, MissingOrUnreadableEntriesReadAsNothing) {
    EXPECT_TRUE(cache.loadCache().empty());
    EXPECT_EQ(cached(on7th(1)), std::make_pair(std::optional<std::string>(), true));

    storeBytes("[818294400,\"" + base64Encode(R"({"response":3})") + "\"]");
    EXPECT_EQ(cached(on7th(1)), std::make_pair(std::optional<std::string>(), true));
    storeBytes("[818294400,\"not base64!\"]");
    EXPECT_TRUE(cache.loadCache().empty());
    storeBytes(R"({"818294400": "x"})");
    EXPECT_TRUE(cache.loadCache().empty());

    // An unreadable entry is replaced by one holding only the saved day.
    cache.saveResponse("fresh", on7th(1));
    ASSERT_EQ(cache.loadCache().size(), 1u);
    EXPECT_EQ(cached(on7th(1)).first, "fresh");
}

TEST_F(JournalPromptCacheTest, DaysAreLocalMidnightsAndOnlyGrow) {
    cache.saveResponse("first", on7th(2));
    cache.saveResponse("second", on7th(22)); // the same local day: replaced
    cache.saveResponse("yesterday", on7th(2).addingTimeInterval(-86400));
    EXPECT_EQ(cache.loadCache().size(), 2u);
    EXPECT_EQ(cached(on7th(9)).first, "second");

    setDefaultTimeZone("Asia/Tokyo"); // the same moments now fall on other local days
    EXPECT_FALSE(cached(on7th(2)).first);

    cache.clear();
    EXPECT_FALSE(UserDefaults::standard().contains("journalPromptCache"));
    EXPECT_TRUE(cache.loadCache().empty());
}

// Bytes under the cache's key that count how often the test's thread makes them.
struct CountedBytes final : DefaultsData {
    CountedBytes(std::string text, int& madeHere) : text(std::move(text)), madeHere(madeHere) {}
    std::vector<std::uint8_t> bytes() const override {
        if (std::this_thread::get_id() == thread) ++madeHere;
        return {text.begin(), text.end()};
    }
    const std::string text;
    int& madeHere;
    const std::thread::id thread = std::this_thread::get_id();
};

TEST_F(JournalPromptCacheTest, StoredDaysAreDecodedOnceAndLookupsAnswerFromMemory) {
    const std::string stored = "[818294400,\"" + base64Encode(R"({"response":"kept","timestamp":818348400})") + "\"]";
    int madeHere = 0;
    UserDefaults::standard().set("journalPromptCache", std::make_shared<CountedBytes>(stored, madeHere));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cached(on7th(12)).first, "kept");
    EXPECT_EQ(madeHere, 1) << "decoded at the first lookup, then answered from memory";

    // Prepared on a queue of its own, nothing is decoded on the main thread: not by lookups, nor by a save.
    UserDefaults::standard().set("journalPromptCache", std::make_shared<CountedBytes>(stored, madeHere));
    madeHere = 0;
    BackgroundQueue decoder;
    run(cache.prepare(decoder));
    EXPECT_EQ(cached(on7th(12)).first, "kept");
    cache.saveResponse("the next day", on7th(12).addingTimeInterval(86400));
    EXPECT_EQ(cached(on7th(12)).first, "kept");
    EXPECT_EQ(cached(on7th(12).addingTimeInterval(86400)).first, "the next day");
    EXPECT_EQ(madeHere, 0);

    // Whoever removes the key through the defaults, the days go with it.
    UserDefaults::standard().remove("journalPromptCache");
    EXPECT_FALSE(cached(on7th(12)).first);
}

TEST(JournalPromptText, StructureAndAssembly) {
    const std::string prompt(journalPrompt);
    EXPECT_THAT(prompt, ::testing::StartsWith("Based on the activity report below, write a bulleted summary of how I spent my day."));
    EXPECT_THAT(prompt, ::testing::EndsWith("\n\nHere is my activity report for the day:\n\n"));
    EXPECT_THAT(prompt, HasSubstr("\nVERY IMPORTANT FORMATTING RULES:\n1. "));
    EXPECT_THAT(prompt, HasSubstr("- **Area Name** \xF0\x9F\x92\xBB: Description of the work\n\n\n- **Another Area**"));
    std::size_t nonASCII = 0;
    for (const char c : prompt) nonASCII += static_cast<unsigned char>(c) >= 0x80;
    EXPECT_EQ(nonASCII, 12u) << "three four-byte emoji and nothing else outside ASCII";
    EXPECT_EQ(graphemeCount(prompt), prompt.size() - 9);
    EXPECT_EQ(journalRequestText("{\n  \"categories\": []\n}"), prompt + "{\n  \"categories\": []\n}");
}

TEST(JournalSpacing, BulletsGetOneEmptyLineBeforeThem) {
    EXPECT_EQ(spaceJournalBullets("- **A** \xF0\x9F\x92\xBB: x\n- **B**: y"), "- **A** \xF0\x9F\x92\xBB: x\n\n- **B**: y");
    EXPECT_EQ(spaceJournalBullets("Intro\n\n- **B**: y"), "Intro\n\n- **B**: y");
    EXPECT_EQ(spaceJournalBullets("Intro\n\n\n- **B**: y"), "Intro\n\n\n- **B**: y");
    EXPECT_EQ(spaceJournalBullets("a\n\n\nb"), "a\n\nb");
    EXPECT_EQ(spaceJournalBullets("a\n\n\n\nb"), "a\n\n\nb");
    EXPECT_EQ(spaceJournalBullets("- plain\n- **bold**"), "- plain\n\n- **bold**");
    EXPECT_EQ(spaceJournalBullets(""), "");
}

class JournalHighlightsTest : public AnalysisFixture {
protected:
    JournalHighlightsTest() {
        addRecord("Word Processor", on7th(9), 1800);
        addRecord("Abacus Ledger", on7th(9).addingTimeInterval(-86400), 1200);
        answerOpenAI(200, openAITextReply("- **Writing** \xF0\x9F\x93\x9D: drafted the report\n- **Numbers**: budget"));
        model = std::make_shared<JournalHighlightsModel>(service);
        clearedOnce = model->journalText.didChange.connect([this](const SharedText& text) { cleared += text->empty(); });
    }

    std::shared_ptr<JournalHighlightsModel> model;
    int cleared = 0;
    Subscription clearedOnce;
};

TEST_F(JournalHighlightsTest, NewJournalIsRequestedSpacedCachedAndShown) {
    model->journalText = "yesterday's journal";
    run(model->generateJournal(on7th(11)));
    ASSERT_EQ(openAI.requestCount(), 1u);
    const auto body = nlohmann::json::parse(openAI.requests()[0].body);
    const std::string input = body["input"].get<std::string>();
    EXPECT_EQ(input.rfind("\n\n User Query: " + std::string(journalPrompt) + "{", 0), 0u);
    EXPECT_THAT(input, HasSubstr("Word Processor"));
    EXPECT_THAT(input, ::testing::Not(HasSubstr("Abacus Ledger")));

    const std::string expected = "- **Writing** \xF0\x9F\x93\x9D: drafted the report\n\n- **Numbers**: budget";
    EXPECT_EQ(*model->journalText.get(), expected);
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(cached(on7th(0)).first, expected);
    EXPECT_TRUE(model->chatViewModel->messages->empty());
    EXPECT_EQ(model->chatViewModel->timeframe.get(), "TODAY");
}

TEST_F(JournalHighlightsTest, TheJournalOfADayThatSkipsItsMidnightLeavesOutTheNextDay) {
    setDefaultTimeZone("America/Santiago");
    // 2026-09-06 starts at 01:00 (04:00 UTC) and ends at the 7th's midnight (03:00 UTC on the 7th).
    addRecord("Morning Tea", Date::fromUnixTime(1788667200 + 3600), 600);
    addRecord("Night Owl", Date::fromUnixTime(1788750000 + 1800), 600);
    run(model->generateJournal(Date::fromUnixTime(1788667200 + 7200)));
    ASSERT_EQ(openAI.requestCount(), 1u);
    const std::string input = nlohmann::json::parse(openAI.requests()[0].body)["input"].get<std::string>();
    EXPECT_THAT(input, HasSubstr("Morning Tea"));
    EXPECT_THAT(input, ::testing::Not(HasSubstr("Night Owl")));
}

TEST_F(JournalHighlightsTest, FreshCacheIsShownWithoutRequestOrClearing) {
    JournalPromptCache::shared().saveResponse("cached journal", on7th(8));
    loop->advance(14400);
    run(model->generateJournal(on7th(23)));
    EXPECT_EQ(*model->journalText.get(), "cached journal");
    EXPECT_EQ(openAI.requestCount(), 0u);
    EXPECT_EQ(cleared, 0);

    loop->advance(1);
    run(model->generateJournal(on7th(1)));
    EXPECT_EQ(openAI.requestCount(), 1u);
    EXPECT_THAT(*model->journalText.get(), HasSubstr("drafted the report"));
    EXPECT_THAT(*cached(on7th(1)).first, HasSubstr("drafted the report"));
}

TEST_F(JournalHighlightsTest, FailureShowsItsTextAndCachesNothing) {
    answerOpenAI(500, R"({"error": "overloaded"})");
    run(model->generateJournal(on7th(11)));
    EXPECT_EQ(*model->journalText.get(), "Failed to generate journal entry: Server error: 500. Details: {\"error\": \"overloaded\"}");
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_FALSE(UserDefaults::standard().contains("journalPromptCache"));

    answerOpenAI(200, openAITextReply("- **Back**: working"));
    run(model->generateJournal(on7th(11)));
    EXPECT_EQ(openAI.requestCount(), 2u);
    EXPECT_EQ(*model->journalText.get(), "- **Back**: working");
}

TEST_F(JournalHighlightsTest, MissingKeyAdviceIsShownButNeverKeptAsAJournal) {
    model->chatViewModel->apiKey = "";
    run(model->generateJournal(on7th(11)));
    EXPECT_EQ(*model->journalText.get(), "Please add your OpenAI API Key to ChatViewModel");
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_EQ(openAI.requestCount(), 0u);
    EXPECT_FALSE(cached(on7th(11)).first);
}

TEST_F(JournalHighlightsTest, RunOvertakenByAnotherDayShowsNothingButKeepsItsJournal) {
    JournalPromptCache::shared().saveResponse("today's cached journal", on7th(8));
    queueOpenAIReply(jsonReply(200, openAITextReply("- **Yesterday**: spreadsheet"), 0.3));

    bool firstDone = false;
    bool secondDone = false;
    auto generate = [](std::shared_ptr<JournalHighlightsModel> model, Date date, bool& done) -> Task<void> {
        auto journal = model->generateJournal(date);
        co_await std::move(journal);
        done = true;
    };
    startTask(*loop, generate(model, on7th(9).addingTimeInterval(-86400), firstDone));
    startTask(*loop, generate(model, on7th(9), secondDone));
    ASSERT_TRUE(loop->runUntil([&] { return firstDone && secondDone; }, 20));
    loop->runUntilIdle();

    EXPECT_EQ(*model->journalText.get(), "today's cached journal");
    EXPECT_FALSE(model->isLoading.get());
    EXPECT_EQ(cached(on7th(9).addingTimeInterval(-86400)).first, "- **Yesterday**: spreadsheet");
}

} // namespace
} // namespace glimmo::testing
