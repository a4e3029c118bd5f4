#include "app/ActivityRecordFile.h"

#include "RecordArchiveFixture.h"
#include "app/ActivityRecordArchive.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "tests/support/CommaDecimalLocale.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <thread>

namespace glimmo {
namespace {

using testing::RecordArchiveTest;
using testing::ActivityRecordFileTest;
using testing::asideCopies;
using testing::readAll;
using testing::writeRaw;
namespace fs = std::filesystem;

TEST_F(ActivityRecordFileTest, WritesKeysInOrderWithUpperCaseIdsAndReferenceDates) {
    const UUID id = *UUID::parse("6f9619ff-8b86-d011-b42d-00c04fc964ff");
    const ActivityRecordValue record{id, "Terminal", Date{786000000.25}, 12.5, 7, "line one\n\"two\""};
    {
        ActivityRecordFile file(path);
        file.save({record});
        file.flush();
    }
    EXPECT_EQ(readAll(path), "[\n"
                             "  {\n"
                             "    \"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\",\n"
                             "    \"appName\": \"Terminal\",\n"
                             "    \"timestamp\": 786000000.25,\n"
                             "    \"duration\": 12.5,\n"
                             "    \"activeTime\": 7.0,\n"
                             "    \"windowText\": \"line one\\n\\\"two\\\"\"\n"
                             "  }\n"
                             "]");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    ActivityRecordFile file(path);
    const auto loaded = file.load();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, std::vector<ActivityRecordValue>{record});
}

TEST_F(ActivityRecordFileTest, SavesOfAChangingListWriteWhatOneEncodingOfTheWholeListWrites) {
    // Each record's text is kept between saves while it is unchanged: the file must not tell.
    std::vector<std::shared_ptr<ActivityRecord>> records;
    for (int i = 0; i < 3; ++i) {
        const std::string text = "\"" + std::to_string(i) + "\"\n\u00e9";
        records.push_back(std::make_shared<ActivityRecord>(UUID::random(), "App", Date{100.0 + i}, text));
    }
    ActivityRecordFile file(path);
    const auto expectSavedAsOneEncoding = [&] {
        file.save(snapshotOf(records));
        file.flush();
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const auto& record : records) {
            array.push_back({{"id", record->id.uuidString()}, {"appName", record->appName},
                             {"timestamp", record->timestamp->secondsSinceReferenceDate}, {"duration", record->duration.get()},
                             {"activeTime", record->activeTime.get()}, {"windowText", record->windowText.get()}});
        }
        EXPECT_EQ(readAll(path), prettyJSON(array));
    };
    expectSavedAsOneEncoding();
    records[1]->duration = 12.5;
    records.insert(records.begin(), std::make_shared<ActivityRecord>(UUID::random(), "New", Date{200}, "pending"));
    records.push_back(records[0]); // the same record twice
    expectSavedAsOneEncoding();
    records[0]->windowText = "summary";
    records.erase(records.begin() + 2);
    expectSavedAsOneEncoding();
}

TEST_F(ActivityRecordFileTest, FractionsAreWrittenAndReadTheSameUnderACommaDecimalLocale) {
    const testing::CommaDecimalLocale locale;
    if (!locale.isSet()) GTEST_SKIP() << testing::CommaDecimalLocale::missingReason;
    const ActivityRecordValue record{UUID::random(), "Terminal", Date{786000000.25}, 12.5, 7.75, ""};
    ActivityRecordFile file(path);
    file.save({record});
    const auto loaded = file.load();
    const std::string text = readAll(path);
    const std::string fractions = "\"timestamp\": 786000000.25,\n    \"duration\": 12.5,\n    \"activeTime\": 7.75,";
    EXPECT_NE(text.find(fractions), std::string::npos) << text;
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, std::vector<ActivityRecordValue>{record});
}

TEST_F(ActivityRecordFileTest, EmptyListIsAnEmptyArray) {
    ActivityRecordFile file(path);
    file.save(std::vector<ActivityRecordValue>{});
    file.flush();
    EXPECT_EQ(readAll(path), "[]");
    EXPECT_EQ(file.load(), std::vector<ActivityRecordValue>{});
}

TEST_F(ActivityRecordFileTest, MissingOptionalKeysTakeTheirDefaults) {
    writeRaw(path, R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","appName":"Mail","timestamp":10,"duration":3}])");
    const auto loaded = ActivityRecordFile(path).load();
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), 1u);
    EXPECT_EQ((*loaded)[0].activeTime, 0);
    EXPECT_EQ((*loaded)[0].windowText, "Context analysis pending...");
}

TEST_F(ActivityRecordFileTest, DurationsNoRecordCanHoldAreReadAtTheNearestBound) {
    const auto records = decodeActivityRecords(R"([
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","appName":"A","timestamp":1,"duration":1e300,"activeTime":-5},
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964FE","appName":"B","timestamp":1,"duration":-1e300,
         "activeTime":12.5}])");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].duration, longestRecordSeconds);
    EXPECT_EQ(records[0].activeTime, 0);
    EXPECT_EQ(records[1].duration, 0);
    EXPECT_EQ(records[1].activeTime, 12.5);
}

TEST_F(ActivityRecordFileTest, MissingFileIsLoggedAndGivesNothing) {
    ActivityRecordFile file(path);
    EXPECT_EQ(file.load(), std::nullopt);
    EXPECT_EQ(lines, std::vector<std::string>{"No saved activity records found"});
}

TEST_F(ActivityRecordFileTest, UndecodableFileIsKeptAsideBeforeTheNextSave) {
    const std::string broken =
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","appName":"Mail","timestamp":"yesterday","duration":3}])";
    writeRaw(path, broken);
    ActivityRecordFile file(path);
    EXPECT_EQ(file.load(), std::nullopt);
    const auto aside = asideCopies(directory.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readAll(aside[0]), broken);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("unreadable"), std::string::npos);

    file.save({{UUID::random(), "Mail", Date{1}, 0, 0, "x"}});
    file.flush();
    EXPECT_EQ(readAll(aside[0]), broken);
    EXPECT_EQ(file.load()->size(), 1u);
}

TEST_F(ActivityRecordFileTest, WrongTypesAndMissingRequiredKeysFailTheWholeDocument) {
    EXPECT_THROW(decodeActivityRecords(R"([{"appName":"A","timestamp":1,"duration":1}])"), std::exception);
    EXPECT_THROW(decodeActivityRecords(
                     R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","appName":"A","timestamp":1,"duration":1,"activeTime":"2"}])"),
                 std::exception);
    EXPECT_THROW(decodeActivityRecords(R"({"records":[]})"), std::exception);
    EXPECT_THROW(decodeActivityRecords(R"([{"id":"nope","appName":"A","timestamp":1,"duration":1}])"), std::exception);
}

TEST_F(ActivityRecordFileTest, LaterWritesWinAndRemoveIsOrderedAfterEarlierSaves) {
    ActivityRecordFile file(path);
    for (int i = 0; i < 50; ++i) {
        file.save({{UUID::random(), "App" + std::to_string(i), Date{double(i)}, 0, 0, ""}});
    }
    file.flush();
    const auto last = file.load();
    ASSERT_TRUE(last);
    EXPECT_EQ((*last)[0].appName, "App49");

    file.save({{UUID::random(), "again", Date{1}, 0, 0, ""}});
    file.remove();
    file.flush();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ActivityRecordFileTest, AnInterruptedWriteLeavesThePreviousFile) {
    ActivityRecordFile file(path);
    file.save({{UUID::random(), "first", Date{1}, 0, 0, ""}});
    file.flush();
    const std::string before = readAll(path);
    setAtomicWriteHookForTesting([](const fs::path&) { throw std::runtime_error("power cut"); });
    file.save({{UUID::random(), "second", Date{2}, 0, 0, ""}});
    file.flush();
    setAtomicWriteHookForTesting({});
    EXPECT_EQ(readAll(path), before);
}

TEST_F(ActivityRecordFileTest, FailedWritesAreLoggedWithTheReasonOncePerRunOfFailures) {
    // The documents "folder" is a regular file, so every write fails alike.
    writeRaw(directory.path() / "documents", "");
    ActivityRecordFile file(directory.path() / "documents" / ActivityRecordFile::fileName);
    for (int attempt = 0; attempt < 3; ++attempt) {
        file.save({{UUID::random(), "Terminal", Date{1}, 0, 0, ""}});
        file.flush();
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(file.path().string()), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("Not a directory"), std::string::npos) << lines[0];

    fs::remove(directory.path() / "documents");
    file.save({{UUID::random(), "Terminal", Date{1}, 0, 0, ""}});
    file.flush();
    EXPECT_TRUE(fs::exists(file.path()));
    // A full disk: each failure names a temporary file of its own, and is still the same failure.
    setAtomicWriteHookForTesting([](const fs::path& temporary) { throw FileError(temporary, "write", ENOSPC); });
    for (int attempt = 0; attempt < 3; ++attempt) {
        file.save({{UUID::random(), "Terminal", Date{2}, 0, 0, ""}});
        file.flush();
    }
    setAtomicWriteHookForTesting({});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(".tmp-"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("No space left on device"), std::string::npos) << lines[1];
}

TEST_F(RecordArchiveTest, ARecordOfTodayAfterOlderOnesGoesToItsDayAndAKilledWriteIsCleared) {
    // A clock set back: the head the start reads ends before it.
    std::vector<ActivityRecordValue> records = history.records;
    std::rotate(records.begin(), records.begin() + 1, records.begin() + 41);
    writeRaw(path, encodeActivityRecords(records));
    // What a write killed midway leaves, of a day no later write is for.
    const fs::path killedWrite = folder / ".1999-01-01.json.tmp-Ab12Cd";
    fs::create_directories(folder);
    writeRaw(killedWrite, "[");
    expectConvertedAtTheNextStart({live.begin() + 1, live.end()}, records);
    EXPECT_FALSE(fs::exists(killedWrite));
}

TEST_F(RecordArchiveTest, RecordsWhoseDaysCannotBeWrittenStayInTheFileUntilTheyCanBe) {
    writeRaw(folder, "not a folder");
    for (const std::size_t limit : {std::size_t{1024}, ActivityRecordFile::wholeReadLimit}) {
        ActivityRecordFile::setWholeReadLimitForTesting(limit);
        ActivityRecordFile file(path);
        EXPECT_EQ(testing::valuesOf(file.loadLive(liveStart, keep)), live);
        file.save(live); // after a failed conversion, refused: it would drop the days not archived
        file.flush();
        // Converted: the file stays as it was (and a load reads it a record at a time, not set aside);
        // read whole: the older records are written with the live ones.
        EXPECT_TRUE(limit != 1024 || readAll(path) == old);
        EXPECT_EQ(byId(file.load().value()), byId(history.records)) << limit;
    }
    fs::remove(folder);
    ActivityRecordFile::setWholeReadLimitForTesting(1024);
    expectConvertedAtTheNextStart(live, history.records);
}

TEST_F(RecordArchiveTest, AQuitDuringTheConversionLeavesTheOldFileAsItWasAndTheNextStartConvertsIt) {
    std::vector<ActivityRecordValue> ofThisRun = live;
    ofThisRun.insert(ofThisRun.begin(), {UUID::random(), "Mail", live[0].timestamp.addingTimeInterval(60), 5, 5, ""});
    {
        ActivityRecordFile file(path);
        // The quit comes as the conversion writes its first day, which the start left to the writer thread.
        std::atomic<int> writesOfTheStart = 0;
        setAtomicWriteHookForTesting([&file, &writesOfTheStart, start = std::this_thread::get_id()](const fs::path&) {
            writesOfTheStart += std::this_thread::get_id() == start;
            file.stopConversion();
        });
        EXPECT_EQ(testing::valuesOf(file.loadLive(liveStart, keep)), live);
        EXPECT_EQ(writesOfTheStart, 0);
        file.save(ofThisRun);
        file.flush();
        setAtomicWriteHookForTesting({});
    }
    EXPECT_TRUE(readAll(path) == old);
    std::vector<ActivityRecordValue> all = history.records;
    all.push_back(ofThisRun[0]);
    expectConvertedAtTheNextStart(ofThisRun, all); // the run's own record taken back from its day
}

TEST_F(RecordArchiveTest, AFileThatDoesNotDecodeToTheEndIsSetAsideWholeAndLeavesNoDays) {
    std::string damaged = old;
    damaged.replace(damaged.size() - 1, 1, R"(, {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF"}])");
    writeRaw(path, damaged);
    ActivityRecordFile file(path);
    // The damage lies past the head, which the start reads alone: its records stay for the run and start
    // the new file.
    EXPECT_EQ(testing::valuesOf(file.loadLive(liveStart, keep)), live);
    file.flush();
    const auto aside = asideCopies(directory.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(readAll(aside[0]) == damaged);
    EXPECT_TRUE(ActivityRecordArchive(folder).daysOnDisk().empty());
    EXPECT_EQ(file.load(), live);
}

TEST_F(RecordArchiveTest, AnUnreadableDayIsSetAsideAndALostIndexIsRebuilt) {
    const auto at = [&](double days) { return history.firstDay.addingTimeInterval(86400 * days); };
    const std::vector<ActivityRecordValue> records{{UUID::random(), "Editor", at(2.5), 60, 0, ""},
                                                   {UUID::random(), "Editor", at(0.98), 3600, 0, "into the next day"}};
    ActivityRecordArchive(folder).add(records);
    fs::remove(folder / ActivityRecordArchive::indexFileName);
    writeRaw(folder / (ActivityRecordArchive::dayName(at(1.5)) + ".json"), "[{\"id\": ");
    EXPECT_EQ(ActivityRecordArchive(folder).recordsWithin(at(1), at(3)), records);
    EXPECT_EQ(asideCopies(folder).size(), 1u);
}

// A day file that can be neither read nor moved aside (a file mounted in its place): reports go on
// without it, and archiving into that day fails rather than write over it.
TEST_F(RecordArchiveTest, ADayThatCannotBeMovedAsideIsLeftOutOfReportsAndNotWrittenOver) {
    constexpr int unavailable = 77;
    const auto at = [&](double days) { return history.firstDay.addingTimeInterval(86400 * days); };
    const std::vector<ActivityRecordValue> records{{UUID::random(), "Editor", at(2.5), 60, 0, ""}};
    ActivityRecordArchive(folder).add(records);
    const fs::path broken = folder.parent_path() / "broken.json";
    const fs::path day = folder / (ActivityRecordArchive::dayName(at(1.5)) + ".json");
    writeRaw(broken, "[{\"id\": ");
    writeRaw(day, "");
    const auto code = testing::exitCodeInForkedChild(
        [&]() -> int {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount(broken.c_str(), day.c_str(), nullptr, MS_BIND, nullptr) != 0) {
                return unavailable;
            }
            fs::remove(folder / ActivityRecordArchive::indexFileName); // the rebuild reads every day
            if (ActivityRecordArchive(folder).recordsWithin(at(1), at(3)) != records) return 1;
            try {
                ActivityRecordArchive(folder).add({{UUID::random(), "Mail", at(1.5), 1, 0, ""}});
                return 2;
            } catch (const std::exception&) {
                return 0;
            }
        },
        std::chrono::seconds(30));
    if (code == unavailable) GTEST_SKIP() << "mounting a file in a private mount namespace needs root";
    EXPECT_EQ(code, 0) << "1: the reports did not go on without the day; 2: the day was written over";
}

} // namespace
} // namespace glimmo

namespace glimmo {
namespace {

TEST(ActivityRecord, SharedValueFollowsEveryChangeAndEqualityIsById) {
    ActivityRecord record(UUID::random(), "Mail", Date{10}, "pending");
    const auto first = record.sharedValue();
    EXPECT_EQ(record.sharedValue(), first); // unchanged: the same copy
    record.windowText = "summary";
    const auto second = record.sharedValue();
    EXPECT_NE(second, first);
    EXPECT_EQ(first->windowText, "pending");
    EXPECT_EQ(second->windowText, "summary");
    record.duration = 5;
    record.activeTime = 2;
    record.timestamp = Date{11};
    EXPECT_EQ(*record.sharedValue(), (ActivityRecordValue{record.id, "Mail", Date{11}, 5, 2, "summary"}));

    const ActivityRecord same(record.value());
    const ActivityRecord other(UUID::random(), "Mail", Date{11}, "summary");
    EXPECT_TRUE(same == record);
    EXPECT_FALSE(other == record);
}

} // namespace
} // namespace glimmo
