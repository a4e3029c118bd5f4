#include "AnalysisFixture.h"

#include "analysis/ChatViewModel.h"
#include "analysis/JournalCacheDays.h"
#include "analysis/JournalHighlightsModel.h"
#include "analysis/JournalPrompt.h"
#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Text.h"
#include "platform/runtime/BackgroundQueue.h"

#include <gmock/gmock.h>

#include <future>
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

TEST_F(JournalPromptCacheTest, DaysAreLocalMidnightsAndClearingForgetsThem) {
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

// A save while the stored days are still decoded on the cache's queue, which the test holds.
class JournalCacheDuringPrepareTest : public JournalPromptCacheTest {
protected:
    // Starts preparing (or storing within the budget) with the queue held; release() lets the decoding run.
    void startPreparing(bool storing = false) {
        gate = std::promise<void>();
        decoder.post([opened = gate.get_future().share()] { opened.wait(); });
        prepared = false;
        const auto prepare = [](JournalPromptCache& cache, BackgroundQueue& decoder, bool storing, bool& prepared) -> Task<void> {
            auto preparing = storing ? cache.storeWithinBudget(decoder) : cache.prepare(decoder);
            co_await std::move(preparing);
            prepared = true;
        };
        startTask(*loop, prepare(cache, decoder, storing, prepared));
        loop->runUntilIdle();
    }
    void release() {
        gate.set_value();
        ASSERT_TRUE(loop->runUntil([this] { return prepared; }, 20));
    }

    const std::string stored = "[818294400,\"" + base64Encode(R"({"response":"kept","timestamp":818348400})") + "\"]";
    const Date nextDay = on7th(12).addingTimeInterval(86400);
    int madeHere = 0;
    BackgroundQueue decoder;
    std::promise<void> gate;
    bool prepared = false;
};

TEST_F(JournalCacheDuringPrepareTest, ASaveNeitherDecodesTheStoredDaysNorLosesThem) {
    UserDefaults::standard().set("journalPromptCache", std::make_shared<CountedBytes>(stored, madeHere));
    startPreparing();
    cache.saveResponse("the next day", nextDay);
    EXPECT_EQ(cached(nextDay).first, "the next day");
    EXPECT_EQ(madeHere, 0) << "the save went over the stored days undecoded";
    release();
    EXPECT_EQ(cached(on7th(12)).first, "kept");
    EXPECT_EQ(cached(nextDay).first, "the next day");
    EXPECT_EQ(madeHere, 0);

    UserDefaults::standard().flush();
    UserDefaults readBack(UserDefaults::standard().filePath());
    JournalPromptCache fromTheFile(readBack);
    EXPECT_EQ(fromTheFile.loadCache().size(), 2u) << "the file holds both days";
}

TEST_F(JournalCacheDuringPrepareTest, DaysClearedOrReplacedMeanwhileDoNotComeBack) {
    UserDefaults::standard().set("journalPromptCache", std::make_shared<CountedBytes>(stored, madeHere));
    startPreparing();
    cache.saveResponse("the next day", nextDay);
    cache.clear();
    release();
    EXPECT_FALSE(cached(on7th(12)).first);
    EXPECT_FALSE(cached(nextDay).first);
    cache.saveResponse("after the clearing", nextDay);
    EXPECT_EQ(cache.loadCache().size(), 1u);

    UserDefaults::standard().set("journalPromptCache", std::make_shared<CountedBytes>(stored, madeHere));
    startPreparing();
    storeBytes("[818208000,\"" + base64Encode(R"({"response":"set anew","timestamp":818262000})") + "\"]");
    release();
    EXPECT_FALSE(cached(on7th(12)).first) << "the days decoded are not those under the key any more";
    EXPECT_EQ(cached(on7th(12).addingTimeInterval(-86400)).first, "set anew");
}

// An ordinary journal of `bytes`, its day's own.
std::string journalOfDay(int day, std::size_t bytes = 40 * 1024) {
    std::string text = "- **Day " + std::to_string(day) + "** \xF0\x9F\x93\x9D: wrote notes/plans\n\n";
    text.resize(bytes, 'x');
    return text;
}

// How many of the days before `today` the cache holds, the newest first, until the first day that is
// missing; and whether any day older than that is there.
std::pair<int, bool> newestStoredDays(const JournalPromptCache& stored, Date today, int days) {
    int newest = 0;
    while (newest < days && stored.getResponse(today.addingTimeInterval(-86400.0 * newest)).first) ++newest;
    bool older = false;
    for (int day = newest; day < days; ++day) older = older || stored.getResponse(today.addingTimeInterval(-86400.0 * day)).first;
    return {newest, older};
}

// The bytes the cache takes in the file: its stored form's Base64.
std::size_t storedFileBytes(UserDefaults& defaults) { return base64Encode(*defaults.data("journalPromptCache")).size(); }

TEST_F(JournalPromptCacheTest, TheFileKeepsTheNewestDaysWithinTheBudgetAndEveryOtherSetting) {
    const std::size_t budget = JournalPromptCache::storedBytesBudget;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.set("viewStyle", "Journal");
    defaults.set("categories", std::vector<std::uint8_t>{'[', ']'});
    const int days = 45; // past the budget: each takes some 71 KB of the file
    for (int day = days - 1; day >= 0; --day) cache.saveResponse(journalOfDay(day), on7th(10).addingTimeInterval(-86400.0 * day));
    // Too large on its own: kept for the process, not stored, and it costs the older days nothing.
    const SharedText huge = journalOfDay(-1, budget);
    const Date tomorrow = on7th(10).addingTimeInterval(86400);
    cache.saveResponse(huge, tomorrow);
    defaults.flush();
    defaults.set("hideDockIcon", true); // another write of the cache's value as it is
    defaults.flush();

    UserDefaults readBack(defaults.filePath());
    EXPECT_EQ(readBack.string("viewStyle"), "Journal");
    EXPECT_EQ(readBack.data("categories"), (std::vector<std::uint8_t>{'[', ']'}));
    EXPECT_EQ(readBack.boolean("hideDockIcon"), true);
    const JournalPromptCache stored(readBack);
    const auto [newest, older] = newestStoredDays(stored, on7th(10), days);
    EXPECT_FALSE(older) << "the oldest days go first";
    EXPECT_GT(newest, 20);
    EXPECT_LT(newest, days);
    EXPECT_LE(storedFileBytes(readBack), budget);
    EXPECT_GT(storedFileBytes(readBack), budget - 2 * 71 * 1024) << "filled up to the budget";
    EXPECT_FALSE(stored.getResponse(tomorrow).first);
    EXPECT_EQ(cached(tomorrow).first, *huge) << "kept in memory";
    const auto logs = this->logs();
    EXPECT_EQ(std::count_if(logs.begin(), logs.end(),
                            [](const std::string& line) { return line.find("more than the journal cache stores") != std::string::npos; }),
              1);
}

TEST_F(JournalPromptCacheTest, AnOlderFilePastTheBudgetIsBroughtWithinItAtTheNextSave) {
    const auto file = directory.path() / "older" / "defaults.json";
    const int days = 40;
    {
        UserDefaults older(file);
        older.set("viewStyle", "Journal");
        JournalCacheDictionary dictionary;
        for (int day = 0; day < days; ++day) {
            dictionary[on7th(0).addingTimeInterval(-86400.0 * day)] = encodeJournalPromptResponse({journalOfDay(day), on7th(1)});
        }
        const std::string stored = encodeJournalCache(dictionary);
        older.set("journalPromptCache", std::vector<std::uint8_t>(stored.begin(), stored.end()));
    }
    UserDefaults defaults(file);
    ASSERT_GT(storedFileBytes(defaults), JournalPromptCache::storedBytesBudget);
    JournalPromptCache(defaults).saveResponse("today", on7th(10));
    defaults.flush();

    UserDefaults readBack(file);
    EXPECT_EQ(readBack.string("viewStyle"), "Journal");
    EXPECT_LE(storedFileBytes(readBack), JournalPromptCache::storedBytesBudget);
    const JournalPromptCache stored(readBack);
    const auto [newest, older] = newestStoredDays(stored, on7th(10), days);
    EXPECT_FALSE(older);
    EXPECT_GT(newest, 20) << "the save and the newest days read";
    EXPECT_EQ(*stored.getResponse(on7th(10)).first.value_or("<none>"), "today");
}

// The newest days that fit are stored and none older than the first that does not; a day too large on
// its own is left out and costs the older days nothing. Days of different sizes, so that an older one
// would fit where a newer one did not.
TEST(JournalCacheDaysTest, TheNewestDaysThatFitAreStoredAndNoneOlderThanTheFirstThatDoesNot) {
    const std::size_t budget = 64 * 1024;
    const auto day = [](int n) { return on7th(0).addingTimeInterval(86400.0 * n); };
    const std::pair<int, std::size_t> sizes[] = {{1, 60'000}, {0, 20'000}, {-1, 12'000}, {-2, 6'000}, {-3, 1'000}};
    JournalCacheDays days;
    for (const auto& [n, bytes] : sizes) days[day(n)] = std::make_shared<const JournalCacheEntry>(journalOfDay(n, bytes), on7th(1));
    // Stored, they take some 80, 27, 16, 8 and 1.4 KB of the array, whose Base64 takes 4/3 of that.
    EXPECT_EQ(journalCacheDaysWithin(days, budget), (JournalCacheDays{*days.find(day(-1)), *days.find(day(0))}));
}

// A reply asked for before the cache was cleared is not kept, however the clear came: its journal was
// written from what was cleared.
TEST_F(JournalPromptCacheTest, AReplyAskedForBeforeAClearIsRefused) {
    const std::function<void()> clears[] = {[this] { cache.clear(); }, [] { UserDefaults::standard().remove("journalPromptCache"); }};
    for (const auto& clearing : clears) {
        cache.saveResponse("before", on7th(1));
        const ClearMark asked = cache.clearMark();
        clearing();
        EXPECT_FALSE(cache.saveResponse("asked for before the clear", on7th(2), asked));
        EXPECT_FALSE(UserDefaults::standard().contains("journalPromptCache"));
    }
}

// Replies too large for the file stay in memory while the most recently saved of them fit their budget;
// one larger than the whole budget, saved last, is the one shown: it stays, alone.
TEST_F(JournalPromptCacheTest, RepliesKeptOnlyInMemoryStayWithinTheirBudget) {
    const auto day = [](int n) { return on7th(10).addingTimeInterval(-86400.0 * n); };
    // Each past the file's budget; saved from the newest day back, so that those saved first are not the oldest.
    for (int n = 0; n < 6; ++n) {
        cache.saveResponse(journalOfDay(n, 20u << 20), day(n));
        loop->advance(1);
    }
    for (int n = 0; n < 6; ++n) EXPECT_EQ(cache.getResponse(day(n)).first.has_value(), n >= 3) << "the three saved last: " << n;
    const SharedText larger = std::string(JournalPromptCache::memoryOnlyBudget + 1, 'j');
    cache.saveResponse(larger, day(-1));
    EXPECT_EQ(cache.getResponse(day(-1)).first, larger);
    for (int n = 0; n < 6; ++n) EXPECT_FALSE(cache.getResponse(day(n)).first) << n;
}

// A value past the budget, as an earlier version left the file, is stored within it at the start
// without a save; one cleared while it is decoded stays cleared.
TEST_F(JournalCacheDuringPrepareTest, AValuePastTheBudgetIsStoredWithinItAtTheStart) {
    const int days = 30; // some 71 KB of the file each: just past the budget
    JournalCacheDictionary dictionary;
    for (int n = 0; n < days; ++n) dictionary[on7th(0).addingTimeInterval(-86400.0 * n)] = encodeJournalPromptResponse({journalOfDay(n), on7th(1)});
    storeBytes(encodeJournalCache(dictionary));
    UserDefaults::standard().flush();
    UserDefaults::setStandard(std::make_shared<UserDefaults>(UserDefaults::standard().filePath())); // read as at a start
    run(JournalPromptCache::shared().storeWithinBudget(decoder));
    EXPECT_LE(storedFileBytes(UserDefaults::standard()), JournalPromptCache::storedBytesBudget) << "as the writer writes it";
    EXPECT_GT(newestStoredDays(cache, on7th(0), days).first, 20);

    storeBytes(encodeJournalCache(dictionary));
    startPreparing(true);
    cache.clear();
    release();
    EXPECT_FALSE(UserDefaults::standard().contains("journalPromptCache"));
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
    const SharedText journal = "cached journal";
    JournalPromptCache::shared().saveResponse(journal, on7th(8));
    loop->advance(14400);
    run(model->generateJournal(on7th(23)));
    EXPECT_EQ(&*model->journalText.get(), &*journal) << "the cache's own text, not a copy: a journal may be megabytes";
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

// Runs the model's generation for `date` as a task of its own; `done` once it ended.
Task<void> generate(std::shared_ptr<JournalHighlightsModel> model, Date date, bool& done) {
    auto journal = model->generateJournal(date);
    co_await std::move(journal);
    done = true;
}

// A journal asked for before the cache was cleared (empty, as a cache may be) and answered after the
// clear is neither kept nor shown.
TEST_F(JournalHighlightsTest, AJournalAskedForBeforeAClearIsNeitherKeptNorShown) {
    queueOpenAIReply(jsonReply(200, openAITextReply("- **Late**: written from what was cleared"), 0.5));
    bool done = false;
    startTask(*loop, generate(model, on7th(10), done));
    ASSERT_TRUE(loop->runUntil([&] { return openAI.requestCount() > 0; }, 20));
    JournalPromptCache::shared().clear();
    ASSERT_TRUE(loop->runUntil([&] { return done; }, 20));
    EXPECT_FALSE(cached(on7th(10)).first);
    EXPECT_TRUE(model->journalText.get()->empty());
    EXPECT_FALSE(model->isLoading.get());
}

TEST_F(JournalHighlightsTest, RunOvertakenByAnotherDayShowsNothingButKeepsItsJournal) {
    JournalPromptCache::shared().saveResponse("today's cached journal", on7th(8));
    queueOpenAIReply(jsonReply(200, openAITextReply("- **Yesterday**: spreadsheet"), 0.3));

    bool firstDone = false;
    bool secondDone = false;
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
