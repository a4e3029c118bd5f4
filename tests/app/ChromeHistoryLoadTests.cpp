// A load gives what the reader's own query gives, read and sorted by SQLite: the same visits in the same
// order, with the hosts and search terms the URL parser finds.

#include "ChromeHistoryAddresses.h"
#include "ChromeHistoryReaderFixture.h"
#include "SyntheticHistory.h"
#include "app/ChromeHistoryReaderNewestRows.h"
#include "app/SqliteHandles.h"
#include "platform/foundation/URL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// The row of number `row`, long enough to be held outside the string.
std::string rowText(int row) {
    return "row " + std::to_string(row) + " of a stream of rows";
}

// Rows of many equal times, some given as nullopt, kept by capacities that cut them again and again:
// the same rows in the same order as a stable sort, newest first, cut to the capacity.
TEST(ChromeHistoryNewestRowsTest, KeepsWhatASortNewestFirstCutToTheCapacityKeeps) {
    std::mt19937 random(42);
    for (const std::size_t capacity : {0, 1, 2, 3, 7, 10, 100}) {
        for (int round = 0; round < 20; ++round) {
            const int count = std::uniform_int_distribution<int>(0, 1000)(random);
            const std::int64_t spread = round % 2 == 0 ? 5 : 100000; // many ties, or few
            std::vector<std::int64_t> times;
            NewestRows<std::string> newest(capacity);
            for (int row = 0; row < count; ++row) {
                const std::int64_t time = std::uniform_int_distribution<std::int64_t>(-spread, spread)(random);
                times.push_back(time);
                if (newest.admits(time)) {
                    newest.add(time, row % 5 == 0 ? std::nullopt : std::optional<std::string>(rowText(row)));
                }
            }
            std::vector<int> sorted(static_cast<std::size_t>(count));
            std::iota(sorted.begin(), sorted.end(), 0);
            std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) { return times[a] > times[b]; });
            sorted.resize(std::min(sorted.size(), capacity));
            std::erase_if(sorted, [](int row) { return row % 5 == 0; });
            std::vector<std::string> expected;
            std::transform(sorted.begin(), sorted.end(), std::back_inserter(expected), rowText);
            ASSERT_EQ(newest.take(), expected) << "capacity " << capacity << ", round " << round;
        }
    }
}

class ChromeHistoryLoadTest : public testing::ChromeHistoryReaderFixture {};

struct QueriedVisit {
    std::string url;
    std::string title;
    int visitCount;
    double lastVisit;
    std::optional<std::string> host;

    bool operator==(const QueriedVisit&) const = default;
};

// What the reader's query of `rows` rows gives, each row taken as the reader takes it, the host by the
// URL parser.
std::vector<QueriedVisit> visitsOfTheQuery(const fs::path& history, Date now, std::size_t rows) {
    sqlite3* raw = nullptr;
    EXPECT_EQ(sqlite3_open_v2(history.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const Database database(raw);
    const std::string query = ChromeHistoryReader::historyQuery(rows);
    sqlite3_stmt* rawStatement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, query.c_str(), -1, &rawStatement, nullptr), SQLITE_OK);
    const Statement statement(rawStatement);
    const std::int64_t cutoff =
        static_cast<std::int64_t>(std::trunc((now.unixTime() - ChromeHistoryReader::historyWindow) * 1000000.0)) +
        ChromeHistoryReader::chromeEpochOffset;
    sqlite3_bind_int64(rawStatement, 1, cutoff);
    std::vector<QueriedVisit> visits;
    while (sqlite3_step(rawStatement) == SQLITE_ROW) {
        const auto text = [&](int column) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(rawStatement, column));
            return value ? std::string(value, static_cast<std::size_t>(sqlite3_column_bytes(rawStatement, column)))
                         : std::string();
        };
        if (sqlite3_column_type(rawStatement, 0) == SQLITE_NULL) continue;
        const std::string url = text(0);
        const std::optional<URL> parsed = URL::parse(url);
        std::optional<std::string> host = parsed ? parsed->host() : std::nullopt;
        visits.push_back({url, text(1), sqlite3_column_int(rawStatement, 2),
                          static_cast<double>(sqlite3_column_int64(rawStatement, 3) - ChromeHistoryReader::chromeEpochOffset) /
                              1000000.0,
                          host && !host->empty() ? host : std::nullopt});
    }
    return visits;
}

// Histories as the browser leaves them: rows whose last visit was updated in place, so not in time
// order; many visits of one time; rows without an address or title; visits at and before the window's
// start. Each is loaded and held against the query, with its LIMIT of a million (made small in most
// rounds, where the cut then falls among visits of one time and rows without an address, which count).
TEST_F(ChromeHistoryLoadTest, ALoadGivesWhatTheReadersQueryGives) {
    testing::AddressRandom random(7);
    const std::int64_t windowStart = testing::chromeTime(clock.now()) -
                                     static_cast<std::int64_t>(ChromeHistoryReader::historyWindow * 1000000.0);
    for (int round = 0; round < 12; ++round) {
        fs::remove(source);
        {
            testing::SyntheticHistory history(source);
            history.execute("BEGIN");
            const int rows = std::uniform_int_distribution<int>(0, 3000)(random);
            const std::int64_t distinctTimes = round % 3 == 0 ? 3 : 400;
            for (int row = 0; row < rows; ++row) {
                const std::int64_t time =
                    windowStart - 2 + std::uniform_int_distribution<std::int64_t>(0, distinctTimes)(random) * 7919;
                const int kind = std::uniform_int_distribution<int>(0, 19)(random);
                const std::optional<std::string> url =
                    kind == 0 ? std::nullopt
                              : std::optional<std::string>(kind < 4 ? "https://www.google.com/search?q=t" +
                                                                          std::to_string(row) + "&q=second"
                                                                    : testing::generatedAddress(random));
                const std::optional<std::string> title =
                    kind == 1 ? std::nullopt : std::optional<std::string>("Title " + std::to_string(row % 17));
                history.addRaw(url, title, row % 9, time);
            }
            // The browser's updates of the last visit, in place.
            history.execute("UPDATE urls SET last_visit_time = last_visit_time + 7919 * 50 WHERE id % 7 = 3; COMMIT");
        }
        const std::size_t rowLimit = round % 4 == 0 ? HistoryReadLimits{}.rows
                                                     : std::uniform_int_distribution<std::size_t>(0, 2000)(random);
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        makeReader({.rows = rowLimit});
        load();
        const std::vector<QueriedVisit> expected = visitsOfTheQuery(source, clock.now(), rowLimit);
        std::vector<QueriedVisit> loaded;
        std::set<std::string> ids;
        std::vector<HistoryItem> withoutHosts;
        for (const HistoryItem& item : reader->historyItems.get()) {
            loaded.push_back({item.url, item.title, item.visitCount, item.lastVisit.unixTime(), item.host});
            ids.insert(item.id.uuidString());
            withoutHosts.push_back(item);
            withoutHosts.back().host.reset();
        }
        const auto differs = std::mismatch(loaded.begin(), loaded.end(), expected.begin(), expected.end()).first;
        ASSERT_TRUE(loaded == expected) << "round " << round << ", row limit " << rowLimit << ": " << loaded.size()
                                        << " visits loaded, " << expected.size() << " queried, the first differs at "
                                        << differs - loaded.begin();
        EXPECT_EQ(ids.size(), loaded.size()) << "a new id for every row";
        EXPECT_EQ(reader->googleSearches.get(), ChromeHistoryReader::extractSearches(withoutHosts)) << "round " << round;
    }
}

} // namespace
} // namespace glimmo
