// The bounds of a history load hold whatever path SQLite takes through the file, and a reader that
// goes ends its load at once.

#include "ChromeHistoryReaderFixture.h"
#include "SyntheticHistory.h"
#include "app/SqliteHandles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <future>
#include <string>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

class HistoryReadBoundsTest : public testing::ChromeHistoryReaderFixture {
protected:
    std::ptrdiff_t timesLogged(const std::string& line) const { return std::count(logged.begin(), logged.end(), line); }

    const std::string notRead = "❌ Chrome history not read: ";
};

// Makes index "trick" of `urls` from other rows than the table's: those whose address is `shadowURL`,
// an SQL expression of the table's row.
void indexOtherRows(testing::SyntheticHistory& history, const std::string& columns, const std::string& shadowURL) {
    history.execute("CREATE TABLE shadow(id INTEGER PRIMARY KEY, url, title, visit_count, last_visit_time);"
                    "INSERT INTO shadow SELECT id, " + shadowURL + ", title, visit_count, last_visit_time FROM urls;"
                    "CREATE INDEX trick ON shadow(" + columns + ");"
                    "PRAGMA writable_schema = ON;"
                    "UPDATE sqlite_master SET tbl_name = 'urls', sql = 'CREATE INDEX trick ON urls(" + columns +
                    ")' WHERE name = 'trick';"
                    "PRAGMA writable_schema = OFF;");
}

// The count before the sort reads the table, whose rows the sort takes, however small an index that
// covers it; and what an index the sort reads holds beyond the count is refused as it is read.
TEST_F(HistoryReadBoundsTest, AnIndexThatDisagreesWithItsTableLetsNoMoreTextThrough) {
    const std::string big = "'https://big.example/' || printf('%.*c', 9980, 'x')"; // 10,000 bytes
    const struct {
        const char* tableURL;
        const char* indexURL;
        const char* indexColumns;
        std::string line;
    } cases[] = {
        {big.c_str(), "'a'", "url, title, last_visit_time",
         "its visits of the last 33 days hold 200000 bytes of addresses and titles, more than the 100000 read at most"},
        {"'https://small.example/'", big.c_str(), "last_visit_time, url, title, visit_count",
         "its visits of the last 33 days hold more than the 100000 bytes of addresses and titles read at most"},
    };
    makeReader({.textBytes = 100000});
    for (const auto& [tableURL, indexURL, indexColumns, line] : cases) {
        fs::remove(source);
        {
            testing::SyntheticHistory history(source);
            for (int i = 0; i < 20; ++i) {
                history.add("", "", 1, clock.now().addingTimeInterval(-60.0 * i));
            }
            history.execute(std::string("UPDATE urls SET url = ") + tableURL + ";");
            indexOtherRows(history, indexColumns, indexURL);
        }
        load();
        EXPECT_EQ(logged.back(), notRead + line) << indexColumns;
        EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
    }
}

// Views are parsed with the schema, before any statement of the read runs: also by the conversion of a
// copy whose log the browser holds open.
TEST_F(HistoryReadBoundsTest, ASchemaOfCountlessViewsIsRefusedBeforeItFillsTheMemory) {
    for (const bool browserHoldsItsLog : {true, false}) {
        removeDatabaseFiles(source);
        auto browser = std::make_unique<testing::SyntheticHistory>(source);
        if (browserHoldsItsLog) {
            browser->execute("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;");
        }
        browser->add("https://a.example/", "A", 1, clock.now());
        // 300 views of 2,000 columns: some 30 MiB once parsed.
        browser->execute("PRAGMA writable_schema = ON;"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                         "INSERT INTO sqlite_master SELECT 'view', 'v' || i, 'v' || i, 0, "
                         "'CREATE VIEW v' || i || ' AS SELECT ' || replace(hex(zeroblob(1999)), '00', '1, ') || '1' "
                         "FROM n;");
        if (!browserHoldsItsLog) {
            browser.reset();
        }
        makeReader({.memoryBytes = std::size_t{8} << 20});
        load();
        EXPECT_EQ(logged.back(), notRead + "reading it took more than 8388608 bytes of memory") << browserHoldsItsLog;
        EXPECT_EQ(fs::exists(copy), !browserHoldsItsLog) << "a copy refused while it is converted is removed";
        EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
    }
}

// The copy counts against the load's time from its first chunk on.
TEST_F(HistoryReadBoundsTest, ACopyPastTheLoadsDeadlineStops) {
    { testing::SyntheticHistory history(source); }
    makeReader({.time = std::chrono::milliseconds(0)});
    load();
    EXPECT_EQ(logged.back(), notRead + "reading it took longer than 0 s");
    EXPECT_FALSE(fs::exists(copy)) << "what it copied is removed";
}

// SQLite replays a log in one step that nothing stops, so a log longer than the load replays is refused.
TEST_F(HistoryReadBoundsTest, ALogLongerThanTheLoadReplaysIsRefused) {
    testing::SyntheticHistory browser(source);
    browser.execute("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;");
    browser.add("https://a.example/", "A", 1, clock.now());
    const std::uintmax_t logBytes = fs::file_size(source.string() + "-wal");
    makeReader({.logBytes = 4096});
    load();
    EXPECT_EQ(logged.back(), notRead + "its write-ahead log holds " + std::to_string(logBytes) +
                                 " bytes, more than the 4096 replayed at most");
    EXPECT_FALSE(fs::exists(copy));
}

// A History whose `urls` a scan never finishes, in a few pages: interior pages whose every child is the
// page below, down to the table's one leaf, so that each level multiplies the rows a scan passes.
void makeEveryScanOfURLsEndless(const fs::path& path) {
    constexpr int levels = 4;
    constexpr int childrenPerPage = 400;
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    Database database(raw);
    const auto integer = [&](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database.get(), sql, -1, &statement, nullptr);
        const Statement finalized(statement);
        sqlite3_step(statement);
        return static_cast<std::uint32_t>(sqlite3_column_int64(statement, 0));
    };
    const std::uint32_t pageSize = integer("PRAGMA page_size");
    const std::uint32_t pages = integer("PRAGMA page_count");
    const std::uint32_t leaf = integer("SELECT rootpage FROM sqlite_master WHERE name = 'urls'");
    const std::string pointAtRoot = "PRAGMA writable_schema = ON; UPDATE sqlite_master SET rootpage = " +
                                    std::to_string(pages + levels) + " WHERE name = 'urls';";
    ASSERT_EQ(sqlite3_exec(database.get(), pointAtRoot.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    database.reset();

    const auto put = [](std::string& bytes, std::size_t at, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * (width - 1 - i)));
    };
    std::string added;
    for (std::uint32_t level = 1; level <= levels; ++level) {
        const std::uint32_t child = level == 1 ? leaf : pages + level - 1;
        std::string page(pageSize, '\0');
        page[0] = 0x05; // an interior page of a table
        put(page, 3, childrenPerPage, 2);
        put(page, 5, pageSize - 5 * childrenPerPage, 2);
        put(page, 8, child, 4); // the right-most child
        for (std::uint32_t cell = 0; cell < childrenPerPage; ++cell) {
            const std::uint32_t at = pageSize - 5 * (cell + 1);
            put(page, 12 + 2 * cell, at, 2);
            put(page, at, child, 4);
            page[at + 4] = 1; // its key
        }
        added += page;
    }
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(0, std::ios::end);
    file.write(added.data(), static_cast<std::streamsize>(added.size()));
    std::string size(4, '\0');
    put(size, 0, pages + levels, 4);
    file.seekp(28); // the header's count of pages
    file.write(size.data(), 4);
}

// At quit the reader goes while its load runs; the load stops at its next check instead of holding the
// quit until its deadline.
TEST_F(HistoryReadBoundsTest, AReaderThatGoesEndsTheLoadItStarted) {
    {
        testing::SyntheticHistory history(source);
        history.add("https://a.example/", "A", 1, clock.now());
    }
    makeEveryScanOfURLsEndless(source);
    makeReader({.time = std::chrono::milliseconds(300)});
    load();
    ASSERT_EQ(logged.back(), notRead + "reading it took longer than 300 ms") << "the file's scan is endless";

    // A load that missed the reader's going would end at its deadline, after the wait below gave up.
    makeReader({.time = std::chrono::seconds(10)});
    std::promise<void> copying;
    setCommittedDatabaseCopyHookForTesting([&copying, told = std::make_shared<std::atomic<bool>>(false)] {
        if (!told->exchange(true)) copying.set_value();
    });
    reader->copyAndLoadHistory();
    ASSERT_EQ(copying.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    auto gone = std::async(std::launch::async, [this] { reader.reset(); });
    ASSERT_EQ(gone.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "the reader waited for its load to reach its deadline";
}

// The browser writes to its log while the History file stays as it is: the log's change is a change.
TEST_F(HistoryReadBoundsTest, ARefusedHistoryIsNotCopiedAgainUntilItChanges) {
    testing::SyntheticHistory browser(source);
    browser.execute("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;");
    browser.add("https://first.example/" + std::string(78, 'x'), "", 1, clock.now()); // 100 bytes
    int copies = 0;
    setCommittedDatabaseCopyHookForTesting([&copies] { ++copies; });
    makeReader({.textBytes = 50});
    const std::string refused = notRead + "its visits of the last 33 days hold 100 bytes of addresses and titles, "
                                          "more than the 50 read at most";
    load();
    load();
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(timesLogged(refused), 1);
    EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());

    const auto historyFileBefore = fs::last_write_time(source);
    browser.add("https://second.example/", "", 1, clock.now());
    ASSERT_EQ(fs::last_write_time(source), historyFileBefore);
    load();
    EXPECT_EQ(copies, 2);
    EXPECT_EQ(logged.back(), notRead + "its visits of the last 33 days hold 123 bytes of addresses and titles, "
                                       "more than the 50 read at most");
}

} // namespace
} // namespace glimmo
