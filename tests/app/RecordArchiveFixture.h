#pragma once

// A record file in a fresh folder, with what is logged; and for the archive's tests an older version's
// file of thirty days (RecordHistory.h) that a start converts, read a record at a time past a small bound.

#include "RecordHistory.h"
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "app/ArchiveDayNames.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace glimmo::testing {

inline std::string readAll(const std::filesystem::path& path) { return readFile(path).value_or(""); }

inline void writeRaw(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::vector<std::filesystem::path> asideCopies(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            found.push_back(entry.path());
        }
    }
    return found;
}

// The day files holding each id, by the name of their day.
inline std::map<UUID, std::vector<std::string>> daysHoldingEachId(const std::filesystem::path& folder) {
    std::map<UUID, std::vector<std::string>> days;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::optional<std::string> day = dayOfFileName(entry.path().filename().string());
        for (const ActivityRecordValue& record : day ? decodeActivityRecords(readAll(entry.path()))
                                                     : std::vector<ActivityRecordValue>{}) {
            days[record.id].push_back(*day);
        }
    }
    return days;
}

class ActivityRecordFileTest : public ::testing::Test {
protected:
    ActivityRecordFileTest() {
        setLogSinkForTesting([this](LogLevel, std::string_view line) {
            const std::lock_guard lock(linesMutex);
            lines.emplace_back(line);
        });
    }
    ~ActivityRecordFileTest() override { setLogSinkForTesting({}); }

    TemporaryDirectory directory;
    std::filesystem::path path = directory.path() / ActivityRecordFile::fileName;
    std::mutex linesMutex;
    std::vector<std::string> lines;
};

// The archive of days, and the conversion of an older version's file that holds every record ever made:
// past a small bound a file is read a record at a time, as one past readFile's is.
class RecordArchiveTest : public ActivityRecordFileTest {
protected:
    RecordArchiveTest() {
        setDefaultTimeZone("UTC");
        writeRaw(path, old);
        ActivityRecordFile::setWholeReadLimitForTesting(1024);
    }
    ~RecordArchiveTest() override {
        setAtomicWriteHookForTesting({});
        ActivityRecordFile::setWholeReadLimitForTesting(std::nullopt);
        setDefaultTimeZone("");
    }

    static std::map<UUID, ActivityRecordValue> byId(const std::vector<ActivityRecordValue>& records) {
        std::map<UUID, ActivityRecordValue> map;
        for (const ActivityRecordValue& record : records) map.emplace(record.id, record);
        return map;
    }
    std::vector<ActivityRecordValue> archived() const {
        return ActivityRecordArchive(folder).recordsWithin(Date::distantPast(), Date::distantFuture());
    }
    // A start converts the file: `live` in memory and in the file, and every one of `all` in one or the
    // other (the file's copy first, as reports read memory first).
    void expectConvertedAtTheNextStart(const std::vector<ActivityRecordValue>& live,
                                       const std::vector<ActivityRecordValue>& all) {
        ActivityRecordFile file(path);
        EXPECT_EQ(valuesOf(file.loadLive(liveStart, keep)), live);
        EXPECT_EQ(file.load(), live);
        std::vector<ActivityRecordValue> everywhere = live;
        for (ActivityRecordValue& record : archived()) everywhere.push_back(std::move(record));
        EXPECT_EQ(byId(everywhere), byId(all));
        EXPECT_TRUE(asideCopies(directory.path()).empty());
    }
    static void keep(ActivityRecordValue&) {}

    const RecordHistory history = recordHistory();
    const std::string old = encodeActivityRecords(history.records);
    const Date liveStart = history.now.addingTimeInterval(-34 * 3600); // midnight before yesterday
    const std::vector<ActivityRecordValue> live{history.records.begin(), history.records.begin() + 40}; // its two days
    const std::filesystem::path folder = ActivityRecordArchive::folderBeside(path);
};

} // namespace glimmo::testing
