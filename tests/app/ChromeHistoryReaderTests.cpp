#include "app/ChromeHistoryReader.h"

#include "ChromeHistoryReaderFixture.h"
#include "SyntheticHistory.h"
#include "app/CommittedDatabaseCopy.h"
#include "app/HistoryReadGuard.h"
#include "app/SqliteHandles.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/Task.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include <sys/stat.h>

namespace glimmo {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr double day = 86400;

class ChromeHistoryReaderTest : public testing::ChromeHistoryReaderFixture {};

TEST_F(ChromeHistoryReaderTest, LoadsTheLast33DaysNewestFirst) {
    {
        testing::SyntheticHistory history(source);
        history.add("https://old.example/", "Old", 1, clock.now().addingTimeInterval(-34 * day));
        history.addRaw("https://cutoff.example/", "Cut", 1,
                       testing::chromeTime(clock.now().addingTimeInterval(-ChromeHistoryReader::historyWindow)));
        history.add("https://a.example/", std::nullopt, 3, clock.now().addingTimeInterval(-32 * day));
        history.add(std::nullopt, "no url", 1, clock.now().addingTimeInterval(-60));
        history.add("not a url at all", "Odd", 2, clock.now().addingTimeInterval(-120));
        history.add("https://b.example/path?x=1", "B", 7, clock.now().addingTimeInterval(-30));
    }
    makeReader();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].rfind("⭐️ history loaded started at ", 0), 0u);

    reader->copyAndLoadHistory();
    reader->copyAndLoadHistory(); // joins the load that runs: one copy, one query
    EXPECT_TRUE(reader->historyItems->empty()) << "the lists are replaced on the main loop, not by the caller";
    ASSERT_TRUE(loop->runUntil([&] { return !reader->isLoading(); }, 10));
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "--- Finished Chrome History Load ---\n"), 1);
    EXPECT_TRUE(printed.empty());
    EXPECT_THAT(urls(), ElementsAre("https://b.example/path?x=1", "not a url at all", "https://a.example/"));
    const HistoryItem& newest = reader->historyItems->front();
    EXPECT_EQ(newest.title, "B");
    EXPECT_EQ(newest.visitCount, 7);
    EXPECT_NEAR(newest.lastVisit.timeIntervalSince(clock.now()), -30, 1e-3);
    EXPECT_EQ(reader->historyItems->back().title, "");
    EXPECT_TRUE(fs::exists(copy));
    EXPECT_EQ(logged.back(), "--- Finished Chrome History Load ---\n");
    EXPECT_EQ(ChromeHistoryReader::lastLoadTime(), clock.now());
}

TEST_F(ChromeHistoryReaderTest, ReloadsAtMostOncePer600Seconds) {
    auto history = std::make_unique<testing::SyntheticHistory>(source);
    history->add("https://first.example/", "1", 1, clock.now().addingTimeInterval(-10));
    makeReader();
    load();
    history->add("https://second.example/", "2", 1, clock.now().addingTimeInterval(-5));

    loop->advance(599);
    printed.clear();
    load();
    EXPECT_THAT(urls(), ElementsAre("https://first.example/"));
    EXPECT_TRUE(printed.empty());

    loop->advance(1);
    load();
    EXPECT_THAT(urls(), ElementsAre("https://second.example/", "https://first.example/"));
    EXPECT_THAT(printed, ElementsAre("✅ Removed existing temp database"));
}

Task<void> waitForHistory(ChromeHistoryReader& reader, std::shared_ptr<std::string> outcome) {
    try {
        co_await reader.reloadHistory();
        *outcome = "loaded";
    } catch (const CancellationError&) {
        *outcome = "cancelled";
    }
}

TEST_F(ChromeHistoryReaderTest, ACancelledWaiterGoesOnWhileTheLoadRunsToItsEnd) {
    { testing::SyntheticHistory history(source); }
    makeReader();
    auto cancelled = std::make_shared<std::string>();
    auto waiting = std::make_shared<std::string>();
    startTask(*loop, waitForHistory(*reader, cancelled)).cancel();
    startTask(*loop, waitForHistory(*reader, waiting));
    loop->runUntilIdle();
    EXPECT_EQ(*cancelled, "cancelled");
    ASSERT_TRUE(loop->runUntil([&] { return !waiting->empty(); }, 10));
    EXPECT_EQ(*waiting, "loaded");
    EXPECT_TRUE(ChromeHistoryReader::lastLoadTime());
}

TEST_F(ChromeHistoryReaderTest, MissingDatabaseKeepsListsAndDoesNotMoveTheGate) {
    makeReader();
    reader->historyItems = {visit("https://kept.example/", clock.now())};
    load();
    const std::string notFound = "❌ Chrome history database not found at: " + source.string();
    const std::string failed = "❌ Error in copyAndLoadHistory: Chrome history database not found";
    EXPECT_THAT(printed, ElementsAre(notFound));
    EXPECT_THAT(logged, ::testing::Contains(failed));
    EXPECT_EQ(logged.back(), "--- Finished Chrome History Load ---\n");
    EXPECT_THAT(urls(), ElementsAre("https://kept.example/"));
    EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());

    // Every report asks for a load, and each fails the same way: said once, until a load succeeds.
    const std::vector<std::string> linesOfTheFirst = logged;
    load();
    load();
    EXPECT_THAT(printed, ElementsAre(notFound));
    EXPECT_EQ(logged, linesOfTheFirst);
    { testing::SyntheticHistory history(source); }
    load();
    ASSERT_TRUE(ChromeHistoryReader::lastLoadTime());
    fs::remove(source);
    loop->advance(ChromeHistoryReader::reloadInterval);
    load();
    load();
    EXPECT_THAT(printed, ElementsAre(notFound, notFound));
    EXPECT_EQ(std::count(logged.begin(), logged.end(), failed), 2);
}

TEST_F(ChromeHistoryReaderTest, ANonDatabaseOrADatabaseWithoutVisitsFailsTheQuery) {
    std::ofstream(source) << "this is not a database, just some bytes that are long enough to have a header";
    makeReader();
    reader->historyItems = {visit("https://kept.example/", clock.now())};
    load();
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(logged.back(), "❌ Failed to prepare query: file is not a database");

    fs::remove(source);
    { testing::SyntheticHistory history(source); history.execute("DROP TABLE urls;"); }
    load();
    EXPECT_THAT(logged.back(), HasSubstr("❌ Failed to prepare query: "));
    EXPECT_THAT(urls(), ElementsAre("https://kept.example/"));
    EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
}

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The browser, still running: 1,500 visits, the last 500 only in its write-ahead log.
void writeVisitsPartlyInTheLog(testing::SyntheticHistory& history, Date now) {
    history.execute("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; BEGIN;");
    for (int i = 0; i < 1500; ++i) {
        if (i == 1000) history.execute("COMMIT; PRAGMA wal_checkpoint(TRUNCATE); BEGIN;");
        history.add("https://site.example/" + std::to_string(i), "", 1, now.addingTimeInterval(-i));
    }
    history.execute("COMMIT;");
}

TEST_F(ChromeHistoryReaderTest, WhatTheBrowserCommittedToItsLogIsReadAndNothingIsWrittenBesideIt) {
    fs::create_directories(source.parent_path() / "profile");
    source = source.parent_path() / "profile" / "History";
    auto browser = std::make_unique<testing::SyntheticHistory>(source);
    writeVisitsPartlyInTheLog(*browser, clock.now());
    ASSERT_GT(fs::file_size(source.string() + "-wal"), 0u);
    std::vector<std::string> profile = filesIn(source.parent_path());
    makeReader();
    load();
    EXPECT_EQ(reader->historyItems->size(), 1500u);
    EXPECT_THAT(filesIn(copy.parent_path()), ElementsAre(copy.filename().string()));
    EXPECT_EQ(filesIn(source.parent_path()), profile);

    browser.reset(); // the browser quits: its database stays in WAL mode, without a log beside it
    profile = filesIn(source.parent_path());
    loop->advance(ChromeHistoryReader::reloadInterval);
    load();
    EXPECT_EQ(reader->historyItems->size(), 1500u);
    EXPECT_THAT(filesIn(copy.parent_path()), ElementsAre(copy.filename().string()));
    EXPECT_EQ(filesIn(source.parent_path()), profile);
}

TEST_F(ChromeHistoryReaderTest, ABrowserThatHoldsItsDatabaseExclusivelyIsReadAllTheSame) {
    testing::SyntheticHistory history(source);
    history.execute("PRAGMA locking_mode=EXCLUSIVE;");
    writeVisitsPartlyInTheLog(history, clock.now());
    history.add("https://last.example/", "", 1, clock.now()); // committed under the lock held for good
    makeReader();
    load();
    EXPECT_EQ(reader->historyItems->size(), 1501u);
    EXPECT_EQ(ChromeHistoryReader::lastLoadTime(), clock.now());
}

TEST_F(ChromeHistoryReaderTest, ABrowserThatStartsItsLogAgainDuringTheCopyIsCopiedAgain) {
    testing::SyntheticHistory history(source);
    writeVisitsPartlyInTheLog(history, clock.now());
    bool wrote = false;
    // Once the log is copied: the browser checkpoints all of it, starts it again with 200 new visits
    // and checkpoints those into the database file too, which the copy then takes.
    setCommittedDatabaseCopyHookForTesting([&] {
        if (std::exchange(wrote, true)) return;
        history.execute("PRAGMA wal_checkpoint(TRUNCATE); BEGIN;");
        for (int i = 0; i < 200; ++i) {
            history.add("https://later.example/" + std::to_string(i), "", 1, clock.now().addingTimeInterval(-2000 - i));
        }
        history.execute("COMMIT; PRAGMA wal_checkpoint(PASSIVE);");
    });
    makeReader();
    load();
    EXPECT_EQ(reader->historyItems->size(), 1700u);
}

TEST_F(ChromeHistoryReaderTest, ABrowserThatChangesItsLogDuringEveryCopyGivesNoCopyRatherThanATornOne) {
    testing::SyntheticHistory history(source);
    writeVisitsPartlyInTheLog(history, clock.now());
    int copies = 0;
    setCommittedDatabaseCopyHookForTesting([&] {
        ++copies;
        history.add("https://during.example/" + std::to_string(copies), "", 1, clock.now());
    });
    makeReader();
    reader->historyItems = {visit("https://kept.example/", clock.now())};
    load();
    EXPECT_EQ(copies, 4);
    const std::string why = "the database's log changed during each of 4 copies, so none of them is known to be whole";
    EXPECT_THAT(printed, ::testing::Contains(HasSubstr("\nError: " + why)));
    EXPECT_THAT(logged, ::testing::Contains("❌ Error in copyAndLoadHistory: " + why));
    EXPECT_THAT(urls(), ElementsAre("https://kept.example/"));
    EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
    EXPECT_TRUE(filesIn(copy.parent_path()).empty());
}

TEST_F(ChromeHistoryReaderTest, AHistoryThatIsNotARegularFileIsRefusedAtOnce) {
    const fs::path fifo = directory.path() / "Fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const fs::path zero = directory.path() / "Zero";
    fs::create_symlink("/dev/zero", zero);
    for (const fs::path& path : {fifo, zero}) {
        source = path;
        makeReader();
        load();
        EXPECT_THAT(logged, ::testing::Contains(
                                "❌ Error in copyAndLoadHistory: Chrome history database is not a regular file"))
            << path;
        EXPECT_EQ(printed.back(), "❌ Failed to copy Chrome history database\nFrom: " + path.string() + "\nTo: " +
                                      copy.string() + "\nError: Chrome history database is not a regular file");
        EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
    }
}

TEST_F(ChromeHistoryReaderTest, WarnsWhenChromeIsRunning) {
    { testing::SyntheticHistory history(source); }
    makeReader();
    workspace.setRunningApplications({{"Google Chrome", 42, "google-chrome"}});
    load();
    EXPECT_THAT(printed, ::testing::Contains("⚠️ Chrome is running. This may prevent access to the history database."));
    EXPECT_TRUE(ChromeHistoryReader::lastLoadTime());
}

// The copy belongs to the data folder, which one instance owns; one that cannot be made fails the load,
// not the start.
TEST_F(ChromeHistoryReaderTest, TheCopyBelongsToTheDataFolderAndAnUnusableOneFailsTheLoadNotTheStart) {
    { testing::SyntheticHistory history(source); }
    testing::ScopedEnvironment environment;
    environment.set("HOME", directory.path().string());
    environment.unset("XDG_DATA_HOME");
    environment.set("XDG_RUNTIME_DIR", (directory.path() / "run").string());
    EXPECT_EQ(ChromeHistoryReader::defaultSourcePath(), directory.path() / ".config/google-chrome/Default/History");
    const fs::path data = directory.path() / ".local/share/com.glimmodemo.GlimmoDemo";
    EXPECT_EQ(ChromeHistoryReader::defaultDestinationPath(), data / "chromeHistory.db");

    fs::create_directories(data.parent_path());
    std::ofstream(data) << "not a folder"; // where the data folder would be made
    ChromeHistoryReader defaultCopy(clock, workspace, source);
    defaultCopy.historyItems = {visit("https://kept.example/", clock.now())};
    load(defaultCopy);
    EXPECT_THAT(logged, ::testing::Contains(HasSubstr("❌ Error in copyAndLoadHistory: create directory")));
    EXPECT_EQ(logged.back(), "--- Finished Chrome History Load ---\n");
    EXPECT_EQ(defaultCopy.historyItems->size(), 1u);
    EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
    fs::remove(data);
    load(defaultCopy);
    EXPECT_TRUE(fs::exists(data / "chromeHistory.db"));
    EXPECT_TRUE(ChromeHistoryReader::lastLoadTime());

    // Another data folder of the same user in the same session has a copy of its own.
    environment.set("HOME", (directory.path() / "other").string());
    EXPECT_EQ(ChromeHistoryReader::defaultDestinationPath(),
              directory.path() / "other/.local/share/com.glimmodemo.GlimmoDemo/chromeHistory.db");
}

// What Chrome never writes (a `urls` or `visits` that runs what the file says when it is read) is
// refused, and so is a read past its time or memory (the limits are made small here, the defaults
// bound the same way); a damaged file fails its read. The lists stay, and the reader's next load works.
TEST_F(ChromeHistoryReaderTest, AHistoryThatIsNotChromesOwnTooMuchToReadOrDamagedKeepsThePreviousLists) {
    const auto write = [&](const std::string& schema) {
        fs::remove(source);
        testing::SyntheticHistory history(source);
        history.execute("BEGIN;");
        for (int i = 0; i < 2000; ++i) {
            history.add("https://site.example/" + std::string(579, 'a'), "", 1, clock.now().addingTimeInterval(-i));
        }
        history.execute("COMMIT;" + schema);
    };
    const auto expectRefused = [&](const std::string& line) {
        ChromeHistoryReader::resetLastLoadTimeForTesting(); // a case that loaded does not hold back the next
        reader->historyItems = {visit("https://kept.example/", clock.now())};
        load();
        EXPECT_EQ(logged.back(), line);
        EXPECT_THAT(urls(), ElementsAre("https://kept.example/"));
        EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
    };
    const std::string notRead = "❌ Chrome history not read: ";
    const std::pair<HistoryReadLimits, std::string> tooMuch[] = {
        {{.time = std::chrono::milliseconds(0)}, "reading it took longer than 0 s"},
        {{.valueBytes = 500}, "it holds an address, a title or a row larger than 500 bytes"},
        {{.textBytes = 1000000},
         "its visits of the last 33 days hold more than the 1000000 bytes of addresses and titles read at most"},
    };
    write("");
    for (const auto& [limits, why] : tooMuch) {
        makeReader(limits);
        expectRefused(notRead + why);
    }
    const std::string notChromes = ": only Chrome's own tables are read";
    const std::pair<const char*, std::string> hostile[] = {
        {"DROP TABLE urls; CREATE VIEW urls AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
         "SELECT 'https://endless.example/' || i AS url, '' AS title, 1 AS visit_count, "
         "9000000000000000000 AS last_visit_time FROM n;",
         notRead + "\"urls\" is a view, not a table" + notChromes},
        {"DROP TABLE urls; CREATE TABLE urls(url TEXT, title TEXT, visit_count INTEGER, last_visit_time INTEGER, "
         "huge TEXT AS (printf('%.*c', 1000000000, 'x')));",
         notRead + "\"urls\" has generated columns" + notChromes},
        {"DROP TABLE visits; CREATE VIRTUAL TABLE visits USING rtree(id, low, high);",
         notRead + "\"visits\" is a virtual table" + notChromes},
        {"DROP TABLE visits;", notRead + "\"visits\" is missing" + notChromes},
        // Damaged: the page `urls` starts at is its index's, no table page at all.
        {"PRAGMA writable_schema = ON; UPDATE sqlite_master SET rootpage = "
         "(SELECT rootpage FROM sqlite_master WHERE name = 'urls_url_index') WHERE name = 'urls';",
         "❌ Failed to read history rows: database disk image is malformed"},
    };
    makeReader();
    for (const auto& [schema, line] : hostile) {
        write(schema);
        expectRefused(line);
    }
    write("");
    load();
    EXPECT_EQ(reader->historyItems->size(), 2000u);
}

// A reader that goes (at quit) stops the read it started at its next check instead of waiting for it
// to end or for its deadline; the deadline is short, so that a read that missed the going fails soon.
TEST(HistoryReadGuardTest, AnAbandonedReadStopsAtItsNextCheck) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    const Database database(raw);
    std::atomic<bool> abandoned{false};
    HistoryReadGuard guard({.time = std::chrono::seconds(5)}, &abandoned);
    guard.bound(database.get());
    std::thread quit([&abandoned] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        abandoned = true;
    });
    const char* endless = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c";
    const int result = sqlite3_exec(database.get(), endless, nullptr, nullptr, nullptr);
    quit.join();
    ASSERT_EQ(result, SQLITE_INTERRUPT);
    try {
        guard.throwIfStoppedByABound(result);
        ADD_FAILURE() << "stopped, but by no bound";
    } catch (const HistoryReadRefused& refused) {
        EXPECT_EQ(refused.reason(), HistoryReadRefused::Reason::abandoned) << refused.what();
    }
}

TEST_F(ChromeHistoryReaderTest, SummaryListsTheTimeframesVisits) {
    makeReader();
    const std::string longURL = "https://example.com/" + std::string(81, 'a'); // 101 characters
    const std::string exactURL = "https://example.com/" + std::string(80, 'b'); // 100 characters
    reader->historyItems = {
        visit(longURL, clock.now().addingTimeInterval(-60), "A very long title that is never cut at all"),
        visit(exactURL, clock.now().addingTimeInterval(-3 * day), "Three days"),
        visit("https://month.example/", clock.now().addingTimeInterval(-20 * day), "Twenty days"),
    };
    EXPECT_EQ(reader->historySummary("TODAY"),
              "Recent Chrome Web Activity:\n---\n2026-12-07 09:59:00: A very long title that is never cut at all (" +
                  longURL.substr(0, 100) + "...)");
    EXPECT_EQ(reader->historySummary("today"), reader->historySummary("TODAY"));
    EXPECT_EQ(reader->historySummary("WEEK"),
              reader->historySummary("TODAY") + "\n2026-12-04 10:00:00: Three days (" + exactURL + ")");
    EXPECT_EQ(reader->historySummary("MONTH"),
              reader->historySummary("WEEK") + "\n2026-11-17 10:00:00: Twenty days (https://month.example/)");
    reader->historyItems = {};
    EXPECT_EQ(reader->historySummary("MONTH"), "Recent Chrome Web Activity:\n---\n");
}

// A month of visits runs to megabytes of summary: a caller that keeps only its first lines gets those.
TEST_F(ChromeHistoryReaderTest, ASummaryOfSomeLinesIsTheWholeOnesStartWithThatManyLines) {
    makeReader();
    std::vector<HistoryItem> items;
    const char* const titles[] = {"Plain", "Two\nlines", "\n\nBlank lines first", "", "Ends\n"};
    for (int i = 0; i < 40; ++i) {
        const Date when = clock.now().addingTimeInterval(-3600.0 * i);
        items.push_back(visit("https://example.com/" + std::to_string(i), when, titles[i % 5]));
    }
    reader->historyItems = items;
    const std::string whole = reader->historySummary("MONTH");
    const auto nonEmptyLines = [](const std::string& text) {
        std::istringstream stream(text);
        std::size_t count = 0;
        for (std::string line; std::getline(stream, line);) count += !line.empty();
        return count;
    };
    for (std::size_t lines = 0; lines <= nonEmptyLines(whole) + 1; ++lines) {
        const std::string start = reader->historySummary("MONTH", lines);
        ASSERT_TRUE(whole.starts_with(start)) << lines;
        const bool endsALine = start.ends_with('\n') || whole[start.size()] == '\n';
        EXPECT_TRUE(start == whole || (nonEmptyLines(start) >= lines && endsALine)) << lines;
        EXPECT_LE(nonEmptyLines(start), std::max<std::size_t>(lines, 2) + 1) << "it stops at the visit that reaches them";
    }
}

TEST_F(ChromeHistoryReaderTest, SiteSwitchesCountHostChangesInAHalfOpenRange) {
    makeReader();
    const Date t = clock.now();
    reader->historyItems = {
        visit("https://a.com/1", t), visit("https://a.com/2", t.addingTimeInterval(1)),
        visit("nonsense", t.addingTimeInterval(2)), visit("https://b.com/", t.addingTimeInterval(3)),
        visit("https://a.com/3", t.addingTimeInterval(4)), visit("https://c.com/", t.addingTimeInterval(5)),
    };
    EXPECT_EQ(reader->siteSwitchCount(t, t.addingTimeInterval(5)), 2);
    EXPECT_EQ(reader->siteSwitchCount(t, t.addingTimeInterval(6)), 3);
    EXPECT_EQ(reader->siteSwitchCount(t, t.addingTimeInterval(2)), 0);
    EXPECT_EQ(reader->siteSwitchCount(t.addingTimeInterval(10), t.addingTimeInterval(20)), 0);
}

TEST(ChromeHistorySearches, FirstQueryValueOfSearchEngineURLs) {
    const auto item = [](std::string url) {
        HistoryItem history;
        history.url = std::move(url);
        return history;
    };
    EXPECT_THAT(ChromeHistoryReader::extractSearches({
                    item("https://www.google.com/search?q=first&q=second"),
                    item("https://www.google.com/search?hl=en"),
                    item("https://duckduckgo.com/?q=elsewhere"),
                    item("https://www.google.com/search?q=caf%C3%A9+au+lait"),
                    item("https://www.google.com/search?q"),
                    item("bad url"),
                }),
                ElementsAre("first", "café+au+lait"));
}

} // namespace
} // namespace glimmo
