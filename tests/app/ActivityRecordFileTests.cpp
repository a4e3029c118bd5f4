#include "app/ActivityRecordFile.h"

#include "RecordHistory.h"
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordStream.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "tests/support/CommaDecimalLocale.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <future>
#include <thread>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    return readFile(path).value_or("");
}

void writeRaw(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<fs::path> asideCopies(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            found.push_back(entry.path());
        }
    }
    return found;
}

class ActivityRecordFileTest : public ::testing::Test {
protected:
    ActivityRecordFileTest() {
        setLogSinkForTesting([this](LogLevel, std::string_view line) { lines.emplace_back(line); });
    }
    ~ActivityRecordFileTest() override { setLogSinkForTesting({}); }

    testing::TemporaryDirectory directory;
    fs::path path = directory.path() / ActivityRecordFile::fileName;
    std::vector<std::string> lines;
};

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
    for (int i = 0; i < 5; ++i) {
        records.push_back(std::make_shared<ActivityRecord>(UUID::random(), "App " + std::to_string(i), Date{100.0 + i},
                                                           "text \"" + std::to_string(i) + "\"\n\u00e9"));
    }
    const auto reference = [&] {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const auto& record : records) {
            array.push_back({{"id", record->id.uuidString()},
                             {"appName", record->appName},
                             {"timestamp", record->timestamp->secondsSinceReferenceDate},
                             {"duration", record->duration.get()},
                             {"activeTime", record->activeTime.get()},
                             {"windowText", record->windowText.get()}});
        }
        return prettyJSON(array);
    };
    ActivityRecordFile file(path);
    const auto saved = [&] {
        file.save(snapshotOf(records));
        file.flush();
        return readAll(path);
    };
    EXPECT_EQ(saved(), reference());
    records[2]->duration = 12.5;
    records.insert(records.begin(), std::make_shared<ActivityRecord>(UUID::random(), "New", Date{200}, "pending"));
    EXPECT_EQ(saved(), reference());
    records.erase(records.begin() + 3);
    records.push_back(records[0]); // the same record twice
    records[0]->windowText = "summary";
    EXPECT_EQ(saved(), reference());
    records.clear();
    EXPECT_EQ(saved(), "[]");
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

// The archive of days and the conversion of a file that holds every record ever made.
class RecordArchiveTest : public ActivityRecordFileTest {
protected:
    RecordArchiveTest() { setDefaultTimeZone("UTC"); }
    ~RecordArchiveTest() override {
        ActivityRecordFile::setWholeReadLimitForTesting(std::nullopt);
        setDefaultTimeZone("");
    }

    const testing::RecordHistory history = testing::recordHistory();
    const Date liveStart = history.now.addingTimeInterval(-34 * 3600); // midnight before yesterday's start
    const fs::path folder = ActivityRecordArchive::folderBeside(path);

    std::vector<ActivityRecordValue> expected(bool live) const {
        std::vector<ActivityRecordValue> records;
        for (const ActivityRecordValue& record : history.records) {
            if ((record.timestamp < liveStart) != live) records.push_back(record);
        }
        return records;
    }

    // Every day file read as it is on disk, each record checked to be in the file of its own day.
    std::vector<ActivityRecordValue> archivedOnDisk() {
        std::vector<ActivityRecordValue> records;
        if (!fs::exists(folder)) return records;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name == ActivityRecordArchive::indexFileName) continue;
            for (ActivityRecordValue& record : decodeActivityRecords(readAll(entry.path()))) {
                EXPECT_EQ(name, ActivityRecordArchive::dayName(record.timestamp) + ".json");
                records.push_back(std::move(record));
            }
        }
        return records;
    }

    static void keep(ActivityRecordValue&) {}
};

TEST_F(RecordArchiveTest, AFileOfManyDaysConvertsIntoDaysAndEveryRecordReadsBackEqual) {
    ASSERT_EQ(liveStart.unixTime(), 1796601600.0 - 86400);
    // Read whole (the writer thread archives) and a record at a time (converted at once), alike.
    for (const std::optional<std::size_t> limit : {std::optional<std::size_t>{}, std::optional<std::size_t>{1024}}) {
        fs::remove_all(folder);
        writeRaw(path, encodeActivityRecords(history.records));
        ActivityRecordFile::setWholeReadLimitForTesting(limit);
        ActivityRecordFile file(path);
        const auto live = file.loadLive(liveStart, keep);
        file.flush();
        ASSERT_TRUE(live);
        EXPECT_EQ(*live, expected(true));
        EXPECT_EQ(file.load(), expected(true)) << "the file keeps yesterday and today";
        EXPECT_EQ(testing::byId(archivedOnDisk()), testing::byId(expected(false)));
        EXPECT_EQ(file.archive()->days().size(), 28u);
        EXPECT_TRUE(asideCopies(directory.path()).empty());
    }
}

TEST_F(RecordArchiveTest, AnInterruptedConversionLeavesTheOldFileAsItWasAndTheNextStartConvertsIt) {
    const std::string old = encodeActivityRecords(history.records);
    writeRaw(path, old);
    ActivityRecordFile::setWholeReadLimitForTesting(1024);
    writeRaw(folder, "not a folder"); // no day can be written
    {
        ActivityRecordFile file(path);
        const auto live = file.loadLive(liveStart, keep);
        ASSERT_TRUE(live);
        EXPECT_EQ(*live, expected(true)) << "today's records are there all the same";
        file.save(*live); // refused: it would drop the days not archived
        file.flush();
    }
    EXPECT_TRUE(readAll(path) == old);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("❌ Activity records not converted: ", 0) == 0; }));

    fs::remove(folder);
    ActivityRecordFile file(path);
    EXPECT_EQ(file.loadLive(liveStart, keep), expected(true));
    EXPECT_EQ(file.load(), expected(true));
    EXPECT_EQ(testing::byId(archivedOnDisk()), testing::byId(expected(false)));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("✅ Converted 600 activity records: 560 into 28 day files in ", 0) == 0;
    }));
}

TEST_F(RecordArchiveTest, AFileThatDoesNotDecodeToTheEndIsSetAsideWholeAndLeavesNoDays) {
    std::string damaged = encodeActivityRecords(history.records);
    damaged.replace(damaged.size() - 1, 1, R"(, {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF"}])");
    writeRaw(path, damaged);
    ActivityRecordFile::setWholeReadLimitForTesting(1024);
    ActivityRecordFile file(path);
    // The damage lies past the head, which the start reads alone: the live records stay in memory for
    // the run and start the new file.
    EXPECT_EQ(file.loadLive(liveStart, keep), expected(true));
    file.flush();
    const auto aside = asideCopies(directory.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(readAll(aside[0]) == damaged);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(file.load(), expected(true));

    // Damage within the head: nothing is taken, as before.
    damaged.replace(damaged.find("\"appName\""), 9, "\"appName\":[");
    writeRaw(path, damaged);
    EXPECT_EQ(ActivityRecordFile(path).loadLive(liveStart, keep), std::nullopt);
    EXPECT_EQ(asideCopies(directory.path()).size(), 2u);
}

// Holds every atomic write made on another thread than the test's until it goes; counts those made on
// the test's own thread.
class HeldWrites {
public:
    explicit HeldWrites(std::function<void()> onEachHeld = {}) {
        setAtomicWriteHookForTesting([this, caller = std::this_thread::get_id(), onEachHeld,
                                      released = release_.get_future().share()](const fs::path&) {
            if (std::this_thread::get_id() == caller) {
                ++onCallersThread;
                return;
            }
            if (onEachHeld) onEachHeld();
            if (!heldOnce_.exchange(true)) held_.set_value();
            released.wait();
        });
    }
    ~HeldWrites() { release(); }
    void waitUntilAWriteIsHeld() { held_.get_future().wait(); }
    void release() {
        if (!done_) {
            done_ = true;
            release_.set_value();
        }
        setAtomicWriteHookForTesting({});
    }

    std::atomic<int> onCallersThread = 0;

private:
    std::promise<void> release_;
    std::promise<void> held_;
    std::atomic<bool> heldOnce_ = false;
    bool done_ = false;
};

TEST_F(RecordArchiveTest, TheStartTakesTheLiveHeadAndTheWriterArchivesEverythingElseAfterIt) {
    // One of today's records written after older ones (a clock set back): not in the head.
    std::vector<ActivityRecordValue> records = history.records;
    const ActivityRecordValue late = records.front();
    records.erase(records.begin());
    const auto firstOlder = std::find_if(records.begin(), records.end(), [&](const auto& r) { return r.timestamp < liveStart; });
    records.insert(firstOlder + 1, late);
    const std::string old = encodeActivityRecords(records);
    writeRaw(path, old);
    std::vector<ActivityRecordValue> head = expected(true);
    head.erase(head.begin());
    ActivityRecordFile::setWholeReadLimitForTesting(1024);

    ActivityRecordFile file(path);
    HeldWrites held;
    const auto live = file.loadLive(liveStart, keep);
    EXPECT_EQ(held.onCallersThread, 0) << "the start wrote days itself";
    EXPECT_EQ(live, head);
    EXPECT_TRUE(readAll(path) == old);
    held.release();
    file.flush();

    EXPECT_EQ(file.load(), head);
    std::vector<ActivityRecordValue> archived = expected(false);
    archived.push_back(late);
    EXPECT_EQ(testing::byId(archivedOnDisk()), testing::byId(archived));
    EXPECT_EQ(file.archive()->recordsWithin(late.timestamp, late.timestamp), std::vector<ActivityRecordValue>{late});
}

TEST_F(RecordArchiveTest, AQuitDuringTheConversionLeavesTheOldFileAsItWasAndTheNextStartConvertsIt) {
    const std::string old = encodeActivityRecords(history.records);
    writeRaw(path, old);
    ActivityRecordFile::setWholeReadLimitForTesting(1024);
    // Newer than every record of the file, so it leads the list.
    const ActivityRecordValue ofThisRun{UUID::random(), "Mail", history.records.front().timestamp.addingTimeInterval(60),
                                        5, 5, "pending"};
    {
        ActivityRecordFile file(path);
        // The quit comes while the first days are written.
        HeldWrites held([&file] { file.stopConversion(); });
        std::vector<ActivityRecordValue> live = *file.loadLive(liveStart, keep);
        live.insert(live.begin(), ofThisRun);
        ASSERT_EQ(held.onCallersThread, 0) << "the start converted on its own thread";
        held.waitUntilAWriteIsHeld();
        held.release();
        file.save(live);
        file.flush();
    }
    EXPECT_TRUE(readAll(path) == old);

    ActivityRecordFile file(path);
    std::vector<ActivityRecordValue> live = expected(true);
    live.insert(live.begin(), ofThisRun);
    EXPECT_EQ(file.loadLive(liveStart, keep), live) << "the quit's records are taken back from their day";
    file.flush();
    EXPECT_EQ(file.load(), live);
    // The quit's save left the live records in their days too, which every reader counts once.
    std::vector<ActivityRecordValue> everywhere = live;
    for (ActivityRecordValue& record : archivedOnDisk()) everywhere.push_back(std::move(record));
    std::vector<ActivityRecordValue> all = history.records;
    all.push_back(ofThisRun);
    EXPECT_EQ(testing::byId(everywhere), testing::byId(all));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("✅ Converted 600 activity records: 560 into 28 day files in ", 0) == 0;
    }));
}

TEST_F(RecordArchiveTest, RecordsThatCannotBeArchivedStayInTheFileUntilTheyCanBe) {
    writeRaw(path, encodeActivityRecords(history.records));
    writeRaw(folder, "not a folder");
    ActivityRecordFile file(path);
    const auto live = file.loadLive(liveStart, keep);
    ASSERT_TRUE(live);
    file.flush();
    EXPECT_EQ(testing::byId(*file.load()), testing::byId(history.records));

    fs::remove(folder);
    file.save(*live);
    file.flush();
    EXPECT_EQ(file.load(), expected(true));
    EXPECT_EQ(testing::byId(archivedOnDisk()), testing::byId(expected(false)));
}

TEST_F(RecordArchiveTest, AFileLargerThanCanBeReadWholeIsReadARecordAtATimeNotSetAside) {
    // As a file past readFile's 256 MiB, in small.
    writeRaw(path, encodeActivityRecords(history.records));
    ActivityRecordFile::setWholeReadLimitForTesting(4096);
    EXPECT_EQ(ActivityRecordFile(path).load(), history.records);
    EXPECT_TRUE(asideCopies(directory.path()).empty());
}

TEST_F(RecordArchiveTest, TheStreamingReaderReadsWhatTheWholeFileReaderReads) {
    const std::string id = R"("id":"6F9619FF-8B86-D011-B42D-00C04FC964FF")";
    const std::vector<std::string> texts = {
        "[]",
        " [ ] ",
        "[" + std::string("{") + id + R"(,"appName":"A","timestamp":1,"duration":2})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2,"activeTime":null,"windowText":null})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":"x","duration":2,"extra":{"a":[1,{"b":[]}]}})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2,"duration":"x"})" + "]",
        "[{" + id + R"(,"appName":{"no":1},"appName":"B","timestamp":-1e300,"duration":1e300,"activeTime":-3})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":[]})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":true,"duration":2})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2,"activeTime":"5"})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":1e999})" + "]",
        "[{" + id + R"(,"appName":"A","timestamp":1})" + "]",
        R"([{"id":"nope","appName":"A","timestamp":1,"duration":2}])",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2}] x)",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2},])",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2})",
        std::string("[{") + id + R"(,"appName":"A\u0000","timestamp":1,"duration":2}])",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2}])" + std::string(1, '\0'), // a NUL after the value
        "[[]]",
        "[1]",
        R"({"records":[]})",
        "\"text\"",
        "",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2,"x":)" + std::string(600, '[') + std::string(600, ']') + "}]",
        "[{" + id + R"(,"appName":"A","timestamp":1,"duration":2,"x":)" + std::string(500, '[') + std::string(500, ']') + "}]",
        encodeActivityRecords(history.records),
    };
    for (const std::string& text : texts) {
        std::optional<std::vector<ActivityRecordValue>> whole;
        try {
            whole = decodeActivityRecords(text);
        } catch (const JSONDecodingError&) {
        }
        std::optional<std::vector<ActivityRecordValue>> streamed = std::vector<ActivityRecordValue>{};
        try {
            streamActivityRecordsFromText(text, [&](ActivityRecordValue&& record) { streamed->push_back(std::move(record)); });
        } catch (const JSONDecodingError&) {
            streamed.reset();
        }
        EXPECT_EQ(streamed, whole) << text.substr(0, 200);
    }
}

TEST_F(RecordArchiveTest, ARecordPastTheBoundMakesTheFileUnreadableRatherThanFillingMemory) {
    const std::vector<ActivityRecordValue> records{{UUID::random(), "Mail", Date{1}, 2, 1, std::string(20000, 'w')},
                                                   {UUID::random(), "Mail", Date{0}, 2, 1, "short"}};
    const std::string text = encodeActivityRecords(records);
    std::vector<ActivityRecordValue> read;
    const auto collect = [&](ActivityRecordValue&& record) { read.push_back(std::move(record)); };
    EXPECT_THROW(streamActivityRecordsFromText(text, collect, 16384), JSONDecodingError);
    EXPECT_TRUE(read.empty());
    streamActivityRecordsFromText(text, collect, 32768);
    EXPECT_EQ(read, records);
}

TEST_F(RecordArchiveTest, AnUnreadableDayIsSetAsideAndALostIndexIsRebuilt) {
    writeRaw(path, encodeActivityRecords(history.records));
    {
        ActivityRecordFile file(path);
        ASSERT_TRUE(file.loadLive(liveStart, keep));
    }
    const Date day3 = history.firstDay.addingTimeInterval(3 * 86400);
    const std::string damaged = "[{\"id\": ";
    writeRaw(folder / (ActivityRecordArchive::dayName(day3) + ".json"), damaged);
    fs::remove(folder / ActivityRecordArchive::indexFileName);

    const ActivityRecordArchive archive(folder);
    // Days 2 to 4, and day 1's record that runs past midnight into day 2.
    const auto found = archive.recordsWithin(history.firstDay.addingTimeInterval(2 * 86400),
                                             history.firstDay.addingTimeInterval(5 * 86400 - 1));
    std::vector<ActivityRecordValue> want;
    for (const ActivityRecordValue& record : history.records) {
        const double day = std::floor(record.timestamp.timeIntervalSince(history.firstDay) / 86400);
        if (day == 2 || day == 4 || (day == 1 && record.duration == 3600)) want.push_back(record);
    }
    EXPECT_EQ(testing::byId(found), testing::byId(want));
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end(), [](const auto& a, const auto& b) { return b.timestamp < a.timestamp; }));
    const auto aside = asideCopies(folder);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readAll(aside[0]), damaged);
    EXPECT_TRUE(fs::exists(folder / ActivityRecordArchive::indexFileName));
    EXPECT_EQ(archive.days().size(), 27u);
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
