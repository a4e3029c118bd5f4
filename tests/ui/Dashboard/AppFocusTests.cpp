// The hourly context switches: application changes between records and site changes between visits,
// counted inside each hour of today.

#include "app/URLHost.h"
#include "tests/app/SyntheticHistory.h"
#include "tests/ui/Dashboard/DashboardTestSupport.h"
#include "ui/Dashboard/AppFocusView.h"

#include <gtest/gtest.h>

#include <random>

namespace glimmo::testing {
namespace {

class AppFocusTest : public DashboardFixture {
protected:
    void record(const std::string& app, Date at) {
        auto r = std::make_shared<ActivityRecord>(UUID::random(), app, at, "");
        monitor->activityRecords.modify([&](auto& records) { records.insert(records.begin(), r); });
    }
    void visit(const std::string& url, Date at) {
        HistoryItem item;
        item.url = url;
        item.host = hostOfVisitedURL(url);
        item.lastVisit = at;
        reader->historyItems.modify([&](auto& items) { items.push_back(item); });
    }
    std::vector<AppSwitchData> hours() { return computeSwitchData(Calendar::current(), loop->now(), *monitor, *reader); }
};

TEST_F(AppFocusTest, SwitchesAreCountedInsideEachHourOnly) {
    record("Editor", on7th(9, 10));
    record("Browser", on7th(9, 20));
    record("Editor", on7th(9, 40));
    record("Browser", on7th(10, 5));
    visit("https://a.example/1", on7th(9, 1));
    visit("https://a.example/2", on7th(9, 2));
    visit("not a url", on7th(9, 3));
    visit("https://b.example/", on7th(9, 4));
    visit("file:///no/host", on7th(9, 5));
    visit("https://a.example/3", on7th(9, 6));
    visit("https://c.example/", on7th(10, 0));
    visit("https://a.example/4", on7th(10, 30));

    const auto data = hours();
    ASSERT_EQ(data.size(), 24u);
    for (int h = 0; h < 24; ++h) EXPECT_EQ(data[h].hour, on7th(h)) << h;
    // Two application switches and two site switches; 09:40 to 10:05 and 09:06 to 10:00 cross the hour
    // and count nowhere, 10:00 to 10:30 counts in the hour that starts at 10:00.
    EXPECT_EQ(data[9].switches, 4);
    EXPECT_EQ(data[10].switches, 1);
    EXPECT_NE(data[9].id, data[10].id);
}

TEST_F(AppFocusTest, ARecordExactlyOnTheHourBelongsToTheHourThatStartsThere) {
    record("Editor", on7th(10, 30));
    record("Browser", on7th(11, 0));
    record("Editor", on7th(11, 10));
    const auto data = hours();
    EXPECT_EQ(data[10].switches, 0);
    EXPECT_EQ(data[11].switches, 1);
}

// A day and a half of visits, now and then exactly on an hour, read from a History file as the
// application reads it: the hourly counts equal those worked out from the addresses themselves.
TEST_F(AppFocusTest, AGeneratedDayCountsAsTheAddressesSay) {
    const char* const addresses[] = {"https://a.example/1", "https://a.example/2", "https://A.example/",
                                     "https://b.example/x?q=1", "http://b.example:8080/", "https://%62.example/",
                                     "not a url", "file:///no/host", "mailto:someone@example.com", "https://c.example"};
    {
        SyntheticHistory history(directory.path() / "History");
        std::mt19937 random(7);
        history.execute("BEGIN");
        for (int i = 0; i < 3000; ++i) {
            const double seconds = i % 50 == 0 ? 3600.0 * (random() % 40) : double(random() % (40 * 3600));
            history.add(addresses[random() % std::size(addresses)], "", 1, on7th(-8).addingTimeInterval(seconds));
        }
        history.execute("COMMIT");
    }
    reader->copyAndLoadHistory();
    settle();
    const auto data = hours();
    int total = 0; // of 3000 visits, so they were read
    for (int h = 0; h < 24; ++h) {
        std::string previous;
        int switches = 0;
        for (const HistoryItem& item : reader->historyItems.get()) {
            const std::optional<std::string> host = hostOfVisitedURL(item.url);
            if (item.lastVisit < on7th(h) || !(item.lastVisit < on7th(h + 1)) || !host || *host == previous) continue;
            switches += previous.empty() ? 0 : 1;
            previous = *host;
        }
        EXPECT_EQ(data[h].switches, switches) << h;
        total += switches;
    }
    EXPECT_GT(total, 500);
}

TEST_F(AppFocusTest, WithoutDataEveryHourIsZero) {
    for (const auto& hour : hours()) EXPECT_EQ(hour.switches, 0);
}

} // namespace
} // namespace glimmo::testing
