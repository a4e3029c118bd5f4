// The record store where things go wrong: a full disk, a clear while a conversion runs, a file that
// cannot be removed, links and other entries where the archive's files belong, a quit mid-conversion,
// a time zone changed between two archivings, and history an earlier version set aside.

#include "HeldWrites.h"
#include "RecordArchiveFixture.h"
#include "app/ActivityRecordClear.h"
#include "tests/support/ForkedRun.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <future>
#include <thread>

namespace glimmo::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What a child returns where the system does not let it mount (not root, no mount namespaces).
constexpr int mountingUnavailable = 77;

bool inPrivateMountNamespace() {
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// Fills the file system of `path` with a file there, leaving about `room` bytes free.
void fillLeaving(const fs::path& path, std::size_t room) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const std::string block(64 * 1024, 'x');
    std::size_t written = 0;
    for (std::size_t count = block.size(); count == block.size();) {
        count = std::fwrite(block.data(), 1, block.size(), file);
        written += count;
        std::fflush(file);
    }
    std::fclose(file);
    fs::resize_file(path, written > room ? written - room : 0);
}

// The day of `date` in `zone` as the C library tells it, apart from the calendar the archive uses.
std::string localDay(const char* zone, Date date) {
    const char* before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    ::setenv("TZ", zone, 1);
    ::tzset();
    const std::time_t time = static_cast<std::time_t>(std::floor(date.unixTime()));
    std::tm local{};
    ::localtime_r(&time, &local);
    char name[16];
    std::strftime(name, sizeof name, "%Y-%m-%d", &local);
    before ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    return name;
}

bool eachIdInOneDay(const fs::path& folder) {
    for (const auto& [id, days] : daysHoldingEachId(folder)) {
        if (days.size() != 1) return false;
    }
    return true;
}

TEST_F(RecordArchiveTest, ARunWhoseConversionMeetsAFullDiskLosesNoRecord) {
    if (!forkedChildMayStartThreads) GTEST_SKIP() << "the record file's writer runs in a forked child";
    const fs::path disk = directory.path() / "disk";
    fs::create_directories(disk);
    std::vector<ActivityRecordValue> made;
    for (int minute = 1; minute <= 3; ++minute) {
        made.push_back({UUID::random(), "Mail", history.now.addingTimeInterval(60 * minute), 30, 30, ""});
    }
    std::vector<ActivityRecordValue> ofThisRun = live; // newest first, as the monitor holds them
    ofThisRun.insert(ofThisRun.end(), made.begin(), made.end());
    sortNewestFirst(ofThisRun);
    std::vector<ActivityRecordValue> all = history.records;
    all.insert(all.end(), made.begin(), made.end());
    const auto code = exitCodeInForkedChild(
        [&]() -> int {
            if (!inPrivateMountNamespace() || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0) {
                return mountingUnavailable;
            }
            const fs::path file = disk / ActivityRecordFile::fileName;
            const fs::path days = ActivityRecordArchive::folderBeside(file);
            writeRaw(file, old);
            fillLeaving(disk / "filler", 32 * 1024); // room for a few days only
            {
                ActivityRecordFile records(file);
                if (valuesOf(records.loadLive(liveStart, keep)) != live) return 1;
                records.flush();
                // The conversion failed: the file stays whole, and the days it wrote went with the room they took.
                if (readAll(file) != old || !ActivityRecordArchive(days).daysOnDisk().empty()) return 2;
                fillLeaving(disk / "no room at all", 0);
                records.save(ofThisRun);
                records.flush();
                fs::remove(disk / "no room at all");
                records.save(ofThisRun); // the next save, once there is room
                records.flush();
                const auto onDisk = byId(ActivityRecordArchive(days).recordsWithin(history.now, Date::distantFuture()));
                for (const ActivityRecordValue& record : made) {
                    if (onDisk.count(record.id) == 0) return 3;
                }
            }
            fs::remove(disk / "filler");
            // The next start converts the file again, and takes the run's records back from their day.
            ActivityRecordFile records(file);
            const auto loaded = valuesOf(records.loadLive(liveStart, keep));
            records.flush();
            if (loaded != ofThisRun) return 4;
            std::vector<ActivityRecordValue> everywhere = *loaded;
            for (ActivityRecordValue& record : ActivityRecordArchive(days).recordsWithin(Date::distantPast(),
                                                                                          Date::distantFuture())) {
                everywhere.push_back(std::move(record));
            }
            if (byId(everywhere) != byId(all)) return 5;
            return eachIdInOneDay(days) ? 0 : 6;
        },
        60s);
    if (code == mountingUnavailable) GTEST_SKIP() << "mounting a file system in a private mount namespace needs root";
    EXPECT_EQ(code, 0) << "1: the head; 2: the file changed or the failed conversion's days stayed; 3: the run's "
                          "records never reached the disk; 4, 5: a record lost at the next start; 6: an id in two days";
}

TEST_F(RecordArchiveTest, AClearStopsTheConversionAndNothingClearedIsReadBack) {
    writeRaw(path.string() + ".unreadable-20250101-000000", old); // history set aside goes too
    ActivityRecordArchive(folder).add({history.records[300]});      // as a stopped conversion left it
    HeldWrites held;
    ActivityRecordFile file(path);
    EXPECT_TRUE(file.loadLive(liveStart, keep).has_value());
    ASSERT_TRUE(held.waitUntilOneIsHeld()); // the conversion writes its first file
    file.archiveRecords({std::make_shared<const ActivityRecordValue>(live.back())}); // queued behind it
    file.remove();
    auto report = std::async(std::launch::async, [&] {
        return file.archive()->recordsWithin(Date::distantPast(), Date::distantFuture());
    });
    held.release();
    ASSERT_EQ(report.wait_for(10s), std::future_status::ready) << "a report waits for ever";
    EXPECT_TRUE(report.get().empty());
    file.flush();
    EXPECT_EQ(held.daysWrittenAfterRelease, 0) << "the conversion went on after the clear";
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(asideCopies(directory.path()).empty());
    EXPECT_FALSE(fs::exists(pendingClearNote(path)));
    ActivityRecordFile next(path);
    EXPECT_FALSE(next.loadLive(liveStart, keep).has_value());
    next.flush();
    EXPECT_TRUE(archived().empty());
}

TEST_F(RecordArchiveTest, AClearAfterAFailedConversionRemovesTheFile) {
    writeRaw(folder, "not a folder"); // no day can be written
    {
        ActivityRecordFile file(path);
        EXPECT_EQ(valuesOf(file.loadLive(liveStart, keep)), live);
        file.flush();
        ASSERT_EQ(readAll(path), old);
        file.remove();
        file.flush();
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(ActivityRecordFile(path).load().has_value());
}

TEST_F(RecordArchiveTest, FilesAClearCannotRemoveAreNotedAndRemovedAtTheNextStartBeforeAnythingReadsThem) {
    if (!forkedChildMayStartThreads) GTEST_SKIP() << "the record file's writer runs in a forked child";
    const auto code = exitCodeInForkedChild(
        [&]() -> int {
            writeRaw(path, encodeActivityRecords(live));
            const std::vector<ActivityRecordValue> older{history.records.begin() + 100, history.records.begin() + 140};
            ActivityRecordArchive(folder).add(older);
            const fs::path day = folder / (ActivityRecordArchive::dayName(older[0].timestamp) + ".json");
            const fs::path other = directory.path() / "other.json";
            writeRaw(other, "[]");
            // A file mounted over another cannot be removed (EBUSY) until it is unmounted, as after a restart.
            if (!inPrivateMountNamespace() || ::mount(other.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
                ::mount(other.c_str(), day.c_str(), nullptr, MS_BIND, nullptr) != 0) {
                return mountingUnavailable;
            }
            {
                ActivityRecordFile file(path);
                file.remove();
                file.flush();
            }
            if (!fs::exists(pendingClearNote(path))) return 1;
            ::umount(path.c_str());
            ::umount(day.c_str());
            ActivityRecordFile next(path);
            if (fs::exists(path) || fs::exists(day) || fs::exists(pendingClearNote(path))) return 2;
            if (next.load() || !ActivityRecordArchive(folder).recordsWithin(Date::distantPast(), Date::distantFuture()).empty()) {
                return 3;
            }
            return 0;
        },
        30s);
    if (code == mountingUnavailable) GTEST_SKIP() << "mounting a file in a private mount namespace needs root";
    EXPECT_EQ(code, 0) << "1: no note of what is left; 2: left at the next start; 3: cleared records read back";
}

TEST_F(RecordArchiveTest, NothingOfTheArchiveIsReadOrWrittenThroughALinkAFolderOrAFifo) {
    const auto at = [&](double days) { return history.firstDay.addingTimeInterval(86400 * days); };
    const fs::path outside = directory.path() / "outside.json";
    const std::string outsideText = encodeActivityRecords(std::vector<ActivityRecordValue>{{UUID::random(), "Outside", at(2.5), 60, 0, ""}});
    for (const std::string kind : {"symbolic link", "folder", "FIFO"}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        writeRaw(outside, outsideText);
        for (const fs::path& where : {folder / ActivityRecordArchive::indexFileName,
                                     folder / (ActivityRecordArchive::dayName(at(2.5)) + ".json")}) {
            if (kind == "symbolic link") fs::create_symlink(outside, where);
            if (kind == "folder") fs::create_directories(where / "inside");
            if (kind == "FIFO") ASSERT_EQ(::mkfifo(where.c_str(), 0600), 0);
        }
        ActivityRecordArchive archive(folder);
        const std::vector<ActivityRecordValue> mine{{UUID::random(), "Editor", at(2.25), 60, 0, ""}};
        archive.add(mine);
        EXPECT_EQ(archive.recordsWithin(at(2), at(3)), mine) << kind;
        EXPECT_EQ(ActivityRecordArchive(folder).recordsWithin(at(2), at(3)), mine) << kind; // through the index
        EXPECT_EQ(asideCopies(folder).size(), 2u) << kind;
        archive.removeAll();
        EXPECT_EQ(readAll(outside), outsideText) << kind;
    }
}

TEST_F(RecordArchiveTest, AStopEndsTheConversionBeforeItsNextDayAndTheQuitWritesOnlyWhatChanged) {
    std::atomic<int> daysWrittenAfterTheStop = 0;
    std::atomic<bool> stopped = false;
    {
        ActivityRecordFile file(path);
        setAtomicWriteHookForTesting([&](const fs::path& temporary) {
            daysWrittenAfterTheStop += stopped && isDayFileWrite(temporary) ? 1 : 0;
            if (!stopped.exchange(true)) file.stopConversion(); // at the conversion's first write
        });
        EXPECT_EQ(valuesOf(file.loadLive(liveStart, keep)), live);
        file.flush();
        setAtomicWriteHookForTesting({});
    }
    EXPECT_TRUE(stopped);
    EXPECT_EQ(daysWrittenAfterTheStop, 0);

    // A clock a year behind makes every record of the file live: the quit after a stopped conversion writes
    // the one record of the run into its day, not the history.
    const ActivityRecordValue ofThisRun{UUID::random(), "Mail", history.now.addingTimeInterval(60), 5, 5, ""};
    std::atomic<int> daysWritten = 0;
    {
        ActivityRecordFile file(path);
        file.stopConversion(); // the quit comes before the conversion begins
        auto loaded = file.loadLive(history.firstDay.addingTimeInterval(86400), keep);
        file.flush();
        ASSERT_TRUE(loaded);
        loaded->push_back(std::make_shared<const ActivityRecordValue>(ofThisRun));
        setAtomicWriteHookForTesting([&](const fs::path& temporary) {
            daysWritten += isDayFileWrite(temporary) ? 1 : 0;
        });
        file.save(*loaded);
        file.flush();
        setAtomicWriteHookForTesting({});
    }
    EXPECT_EQ(daysWritten, 1);
    std::vector<ActivityRecordValue> liveNow = live;
    liveNow.push_back(ofThisRun);
    sortNewestFirst(liveNow);
    std::vector<ActivityRecordValue> all = history.records;
    all.push_back(ofThisRun);
    expectConvertedAtTheNextStart(liveNow, all);
    EXPECT_TRUE(eachIdInOneDay(folder));
}

TEST_F(RecordArchiveTest, ArchivingAgainInAnotherTimeZoneLeavesEachIdInOneFileOfItsLocalDay) {
    const std::vector<ActivityRecordValue> records{history.records.begin() + 40, history.records.end()};
    setDefaultTimeZone("Pacific/Kiritimati"); // UTC+14
    ActivityRecordArchive(folder).add(records);
    // Redone in another zone, in two parts: the second goes into days that the first has written.
    setDefaultTimeZone("Pacific/Pago_Pago"); // UTC-11
    ActivityRecordArchive archive(folder);
    const std::size_t half = records.size() / 2;
    archive.add({records.begin(), records.begin() + static_cast<std::ptrdiff_t>(half)});
    archive.add({records.begin() + static_cast<std::ptrdiff_t>(half), records.end()});
    const auto days = daysHoldingEachId(folder);
    EXPECT_EQ(days.size(), records.size());
    for (const ActivityRecordValue& record : records) {
        const auto found = days.find(record.id);
        ASSERT_NE(found, days.end());
        EXPECT_EQ(found->second, std::vector<std::string>{localDay("Pacific/Pago_Pago", record.timestamp)});
    }
    EXPECT_EQ(byId(archive.recordsWithin(Date::distantPast(), Date::distantFuture())), byId(records));
}

TEST_F(RecordArchiveTest, ACopySetAsideThatReadsToItsEndIsRecoveredOnceAndADamagedOneStays) {
    const std::vector<ActivityRecordValue> newer{{UUID::random(), "Mail", history.now.addingTimeInterval(60), 5, 5, "new"}};
    writeRaw(path, encodeActivityRecords(newer)); // the file the earlier version began afresh
    const fs::path copy = path.string() + ".unreadable-20250101-000000";
    const fs::path damaged = path.string() + ".unreadable-20250102-000000";
    writeRaw(copy, old);
    const std::string damagedText = old.substr(0, old.size() / 2);
    writeRaw(damaged, damagedText);
    ActivityRecordArchive(folder).add({history.records[100]}); // as a recovery killed midway left it
    const auto start = [&] {
        ActivityRecordFile file(path);
        EXPECT_EQ(valuesOf(file.loadLive(liveStart, keep)), newer);
        file.flush();
    };
    start();
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(readAll(damaged), damagedText);
    EXPECT_EQ(byId(archived()), byId(history.records));
    EXPECT_TRUE(eachIdInOneDay(folder));
    {
        const std::lock_guard lock(linesMutex);
        lines.clear();
    }
    start();
    EXPECT_EQ(readAll(damaged), damagedText);
    const std::lock_guard lock(linesMutex);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find(damaged.string()), std::string::npos) << "read again: " << line;
    }
}

} // namespace
} // namespace glimmo::testing
