// The bounds of a history load hold whatever path SQLite takes through the file, and a reader that
// goes ends its load at once.

#include "ChromeHistoryReaderFixture.h"
#include "SyntheticHistory.h"
#include "app/HistoryReadGuard.h"
#include "platform/foundation/FileSystemSpace.h"
#include "platform/foundation/Files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <utility>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

class HistoryReadBoundsTest : public testing::ChromeHistoryReaderFixture {
protected:
    void expectRefused(const HistoryReadLimits& limits, const std::string& why) {
        ChromeHistoryReader::resetLastLoadTimeForTesting(); // a case that loaded does not hold back the next
        makeReader(limits);
        load();
        EXPECT_EQ(logged.back(), notRead + why);
        EXPECT_FALSE(ChromeHistoryReader::lastLoadTime());
    }

    const std::string notRead = "❌ Chrome history not read: ";
};

// The read takes the table's own rows and counts their text as they stream past, however an index
// that covers them disagrees: one that holds small values for big rows lets no big row through, and one
// that holds big values for small rows is not what is read. The index "trick" is made from other rows
// than the table's, with `indexURL` for their address.
TEST_F(HistoryReadBoundsTest, AnIndexThatDisagreesWithItsTableLetsNoMoreTextThrough) {
    const std::string big = "'https://big.example/' || printf('%.*c', 9980, 'x')"; // 10,000 bytes
    const struct {
        std::string tableURL, indexURL, indexColumns;
    } cases[] = {
        {big, "'a'", "url, title, last_visit_time"},
        {"'https://small.example/'", big, "last_visit_time, url, title, visit_count"},
    };
    for (const auto& [tableURL, indexURL, indexColumns] : cases) {
        fs::remove(source);
        {
            testing::SyntheticHistory history(source);
            for (int i = 0; i < 20; ++i) {
                history.add("", "", 1, clock.now().addingTimeInterval(-60.0 * i));
            }
            history.execute("UPDATE urls SET url = " + tableURL + ";"
                            "CREATE TABLE shadow(id INTEGER PRIMARY KEY, url, title, visit_count, last_visit_time);"
                            "INSERT INTO shadow SELECT id, " + indexURL + ", title, visit_count, last_visit_time "
                            "FROM urls; CREATE INDEX trick ON shadow(" + indexColumns + ");"
                            "PRAGMA writable_schema = ON; UPDATE sqlite_master SET tbl_name = 'urls', "
                            "sql = 'CREATE INDEX trick ON urls(" + indexColumns + ")' WHERE name = 'trick';");
        }
        if (tableURL == big) {
            expectRefused({.textBytes = 100000}, "its visits of the last 33 days hold more than the 100000 bytes of "
                                                 "addresses and titles read at most");
        } else {
            ChromeHistoryReader::resetLastLoadTimeForTesting();
            makeReader({.textBytes = 100000});
            load();
            EXPECT_EQ(urls(), std::vector<std::string>(20, "https://small.example/"));
        }
    }
}

// Wherever a bound stops a load of a History of countless views (300 of 2,000 columns, some 30 MiB once
// parsed): the copy counts against the load's time from its first chunk on, a log is refused before
// SQLite replays it in one step that nothing stops, and the parse of the schema is bounded both where the
// read opens the copy and where a copy whose log the browser holds open is converted. What a stopped copy
// left goes. The History is then left alone until it changes, also when only its log does.
TEST_F(HistoryReadBoundsTest, ABoundStopsTheLoadWhereverItIsAndTheHistoryIsLeftUntilItChanges) {
    const std::string tooMuchMemory = "reading it took more than 8388608 bytes of memory";
    const struct {
        bool browserHoldsItsLog;
        HistoryReadLimits limits;
        std::string why; // with the log's size for {}
        bool copyStays;  // refused as the copy is read, not as it is made
    } cases[] = {
        {false, {.time = std::chrono::milliseconds(0)}, "reading it took longer than 0 s", false},
        {false, {.memoryBytes = std::size_t{8} << 20}, tooMuchMemory, true},
        {true, {.logBytes = 4096}, "its write-ahead log holds {} bytes, more than the 4096 replayed at most", false},
        {true, {.memoryBytes = std::size_t{8} << 20}, tooMuchMemory, false},
    };
    std::unique_ptr<testing::SyntheticHistory> browser;
    int copies = 0;
    setCommittedDatabaseCopyHookForTesting([&copies] { ++copies; });
    for (const auto& [browserHoldsItsLog, limits, why, copyStays] : cases) {
        browser.reset();
        removeDatabaseFiles(source);
        browser = std::make_unique<testing::SyntheticHistory>(source);
        if (browserHoldsItsLog) {
            browser->execute("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;");
        }
        browser->execute("PRAGMA writable_schema = ON;"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                         "INSERT INTO sqlite_master SELECT 'view', 'v' || i, 'v' || i, 0, "
                         "'CREATE VIEW v' || i || ' AS SELECT ' || replace(hex(zeroblob(1999)), '00', '1, ') || '1' "
                         "FROM n;");
        std::string line = why;
        if (const std::size_t at = line.find("{}"); at != std::string::npos) {
            line.replace(at, 2, std::to_string(fs::file_size(source.string() + "-wal")));
        }
        expectRefused(limits, line);
        EXPECT_EQ(fs::exists(copy), copyStays) << line;
        logged.clear();
        const int copiesOfTheLoad = copies;
        load();
        EXPECT_TRUE(logged.empty()) << line;
        EXPECT_EQ(copies, copiesOfTheLoad) << line;
    }
    const auto historyFileBefore = fs::last_write_time(source);
    browser->add("https://b.example/", "", 1, clock.now());
    ASSERT_EQ(fs::last_write_time(source), historyFileBefore);
    load();
    EXPECT_EQ(logged, std::vector<std::string>{notRead + tooMuchMemory});
}

// A file system of `bytes` (tmpfs) mounted on a new folder while it lives; mounted() is false where this
// process may not mount one.
class SmallFileSystem {
public:
    SmallFileSystem(fs::path folder, std::uint64_t bytes) : folder_(std::move(folder)) {
        fs::create_directories(folder_);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
        mounted_ = ::mount("glimmo-test", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
        why_ = mounted_ ? "" : std::string("mounting a tmpfs is not permitted here: ") + std::strerror(errno);
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return why_; }

private:
    fs::path folder_;
    bool mounted_ = false;
    std::string why_;
};

// Writes `path` until its file system is full.
void fillUp(const fs::path& path) {
    std::ofstream file(path, std::ios::binary);
    const std::string block(1 << 16, 'f');
    while (file.write(block.data(), block.size())) {
    }
}

// A History whose file is made sparse to 50 GB, holding its few visits in its first pages, must not
// fill the data folder's disk: it is refused before anything is copied, and left alone until it
// changes. A copy that fails for want of space (taken by someone else as it runs) is left alone too,
// and so is a History rewritten in place with its old size and modification time, until then.
TEST_F(HistoryReadBoundsTest, ACopyTheDataFolderCannotTakeIsRefusedBeforeItIsMadeAndAFailedOneIsRemembered) {
    SmallFileSystem small(directory.path() / "small", 4 << 20);
    if (!small.mounted()) {
        GTEST_SKIP() << small.whyNot();
    }
    copy = directory.path() / "small" / "data" / "chromeHistory.db";
    testing::SyntheticHistory(source).add("https://a.example/", "A", 1, clock.now());
    fs::resize_file(source, std::uint64_t{50} << 30);
    makeReader({.copyBytes = std::uint64_t{100} << 30, .spareBytes = 1 << 20});
    const std::uint64_t free = availableBytes(copy.parent_path());
    int copies = 0;
    setCommittedDatabaseCopyHookForTesting([&copies] { ++copies; });
    load();
    EXPECT_EQ(logged.back(), notRead + "copying it takes 53687091200 bytes, more than the " +
                                 std::to_string(free - (1 << 20)) +
                                 " free in the data folder beyond the 1048576 kept free");
    EXPECT_EQ(copies, 0);
    EXPECT_EQ(availableBytes(copy.parent_path()), free);
    logged.clear();
    load();
    EXPECT_TRUE(logged.empty());

    fs::remove(source);
    testing::SyntheticHistory(source).add("https://b.example/", "B", 1, clock.now());
    const fs::path filler = directory.path() / "small" / "filler";
    setCommittedDatabaseCopyHookForTesting([&copies, filler] {
        if (++copies == 1) fillUp(filler);
    });
    makeReader({.spareBytes = 0});
    load();
    EXPECT_THAT(logged, ::testing::Contains(::testing::HasSubstr("No space left on device")));
    EXPECT_FALSE(fs::exists(copy));
    fs::remove(filler);
    logged.clear();
    load();
    EXPECT_TRUE(logged.empty());
    EXPECT_EQ(copies, 1);

    const std::string bytes = readFile(source).value();
    const auto modified = fs::last_write_time(source);
    std::ofstream(source, std::ios::binary | std::ios::in) << bytes; // the same size, the same bytes even
    fs::last_write_time(source, modified);
    load();
    EXPECT_EQ(reader->historyItems->size(), 1u);
    EXPECT_TRUE(ChromeHistoryReader::lastLoadTime());
}

// Only the room beyond what is kept free for the records and settings is copied into, and at most the
// copy's own bound.
TEST_F(HistoryReadBoundsTest, OnlyTheRoomBeyondWhatIsKeptFreeIsCopiedInto) {
    const HistoryReadGuard guard({.copyBytes = 8 << 20, .spareBytes = 1 << 20});
    EXPECT_EQ(guard.roomToCopy(1 << 20, 2 << 20), 1u << 20);
    EXPECT_THROW(guard.roomToCopy((1 << 20) + 1, 2 << 20), HistoryReadRefused);
    EXPECT_EQ(guard.roomToCopy(1, std::uint64_t{1} << 40), 8u << 20);
}

// The copy keeps within its bound however the browser writes as it runs. Here the log grows as it is
// copied, by pages new to the database, which replaying it writes into the copy beside the copy of the
// log: more than the bound, which counted the log as it was. The copy fails instead.
TEST_F(HistoryReadBoundsTest, ALogThatGrowsAsItIsCopiedLeavesTheDatabaseLessRoom) {
    testing::SyntheticHistory browser(source);
    const auto addVisits = [&browser, this](const std::string& site, int count, std::size_t titleBytes) {
        browser.execute("BEGIN;");
        for (int i = 0; i < count; ++i) {
            browser.add("https://" + site + "/" + std::to_string(i), std::string(titleBytes, 't'), 1, clock.now());
        }
        browser.execute("COMMIT;");
    };
    browser.execute("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;");
    addVisits("in-the-database.example", 100, 1000);
    browser.execute("PRAGMA wal_checkpoint(TRUNCATE);");
    addVisits("in-the-log.example", 20, 3500); // a page each
    fs::create_directories(copy.parent_path());
    bool wrote = false;
    DatabaseCopyBounds bounds{.maximumBytes = committedDatabaseCopyBytes(source)};
    bounds.beforeEachStep = [&] { // before the log's first chunk is copied
        if (!std::exchange(wrote, true)) addVisits("during-the-copy.example", 10, 3500);
    };
    try {
        copyCommittedDatabase(source, copy, bounds);
        // At its largest, the copy of the log was beside the copy, which holds the log's pages now.
        EXPECT_LE(fs::file_size(copy) + fs::file_size(source.string() + "-wal"), bounds.maximumBytes);
    } catch (const FileError& error) {
        EXPECT_EQ(error.errorNumber(), EFBIG) << error.what();
    }
    EXPECT_TRUE(wrote);
    removeDatabaseFiles(copy);
}

// The copy is bounded whatever room the disk has: a sparse History of 3 GB is refused unread; with a
// low bound, a History and its log (counted twice: the copy replays its pages into the database) that
// need exactly the bound are copied, one byte more is refused.
TEST_F(HistoryReadBoundsTest, ACopyLargerThanItsBoundIsRefusedUnread) {
    testing::SyntheticHistory(source).add("https://a.example/", "A", 1, clock.now());
    fs::resize_file(source, std::uint64_t{3} << 30);
    expectRefused({}, "copying it takes 3221225472 bytes, more than the 2147483648 copied at most");
    EXPECT_FALSE(fs::exists(copy));

    fs::remove(source);
    testing::SyntheticHistory browser(source);
    browser.execute("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;");
    browser.add("https://b.example/", "B", 1, clock.now());
    const std::uint64_t bytes = fs::file_size(source) + 2 * fs::file_size(source.string() + "-wal");
    expectRefused({.copyBytes = bytes - 1, .spareBytes = 0},
                  "copying it takes " + std::to_string(bytes) + " bytes, more than the " +
                      std::to_string(bytes - 1) + " copied at most");
    makeReader({.copyBytes = bytes, .spareBytes = 0});
    load();
    EXPECT_EQ(reader->historyItems->size(), 1u);
}

// Makes every scan of `urls` endless in a few pages, in a History of one visit to `onlyURL`: the
// table's one leaf moves to the end, and its root (where the leaf was) and the interior pages put
// below it each have 400 children, all the page below, so that each level multiplies the rows a scan passes.
void makeEveryScanOfURLsEndless(const fs::path& path, const std::string& onlyURL) {
    std::string bytes = readFile(path).value();
    const auto put = [&bytes](std::size_t at, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * (width - 1 - i)));
    };
    const std::size_t pageSize = static_cast<std::uint8_t>(bytes[16]) << 8 | static_cast<std::uint8_t>(bytes[17]);
    const auto pages = static_cast<std::uint32_t>(bytes.size() / pageSize);
    const std::size_t root = bytes.find(onlyURL) / pageSize * pageSize; // the table's page comes before its index's
    constexpr std::uint32_t levels = 4, children = 400;
    bytes += bytes.substr(root, pageSize);                  // the leaf, now page pages + 1
    bytes.resize(bytes.size() + (levels - 1) * pageSize); // the levels below the root
    for (std::uint32_t level = 1; level <= levels; ++level) {
        const std::size_t at = level == levels ? root : (pages + level) * pageSize;
        bytes.replace(at, pageSize, pageSize, '\0');
        bytes[at] = 0x05; // an interior page of a table
        put(at + 3, children, 2);
        put(at + 5, static_cast<std::uint32_t>(pageSize) - 5 * children, 2);
        put(at + 8, pages + level, 4); // the right-most child
        for (std::uint32_t cell = 1; cell <= children; ++cell) {
            const std::size_t cellAt = pageSize - 5 * cell;
            put(at + 12 + 2 * (cell - 1), static_cast<std::uint32_t>(cellAt), 2);
            put(at + cellAt, pages + level, 4);
            bytes[at + cellAt + 4] = 1; // its key
        }
    }
    put(28, pages + levels, 4); // the header's count of pages
    std::ofstream(path, std::ios::binary) << bytes;
}

// At quit the reader goes while its load runs; the load stops at its next check instead of holding the
// quit until its deadline.
TEST_F(HistoryReadBoundsTest, AReaderThatGoesEndsTheLoadItStarted) {
    testing::SyntheticHistory(source).add("https://a.example/", "A", 1, clock.now());
    makeEveryScanOfURLsEndless(source, "https://a.example/");
    expectRefused({.time = std::chrono::milliseconds(300)}, "reading it took longer than 300 ms");

    // A load that missed the reader's going would end at its deadline, after the wait below gave up.
    makeReader({.time = std::chrono::seconds(10)});
    auto copying = std::make_shared<std::promise<void>>(); // the hook may outlive a test that failed
    setCommittedDatabaseCopyHookForTesting([copying] { copying->set_value(); }); // once: the History has no log
    reader->copyAndLoadHistory();
    ASSERT_EQ(copying->get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    auto gone = std::async(std::launch::async, [this] { reader.reset(); });
    ASSERT_EQ(gone.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "the reader waited for its load to reach its deadline";
}

} // namespace
} // namespace glimmo
