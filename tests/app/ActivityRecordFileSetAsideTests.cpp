#include "app/ActivityRecordFile.h"

#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>


#include <fstream>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

const ActivityRecordValue savedRecord{*UUID::parse("6f9619ff-8b86-d011-b42d-00c04fc964ff"), "Mail", Date{1}, 2, 1, "x"};

// Everything in `folder` but `path`, the copies set aside.
std::vector<fs::path> asideCopies(const fs::path& folder, const fs::path& path) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path() != path) {
            found.push_back(entry.path());
        }
    }
    return found;
}

TEST(ActivityRecordFileSetAside, AFifoDeviceOrSocketInPlaceOfTheFileIsSetAsideAndANewFileStarts) {
    for (const testing::SpecialFile kind : testing::specialFiles) {
        const testing::TemporaryDirectory folder;
        const fs::path path = folder.path() / ActivityRecordFile::fileName;
        testing::makeSpecialFile(path, kind);
        // A regression hangs on the FIFO or reads /dev/zero without end: the child is then killed. The child
        // only reads, and so starts no thread: threads of other tests (the HTTP client's worker) live on in
        // this process, and a thread started in the copy of a process with threads is not supported
        // everywhere (ThreadSanitizer ends the child).
        const auto code = testing::exitCodeInForkedChild(
            [&] {
                std::vector<std::string> lines;
                setLogSinkForTesting([&](LogLevel, std::string_view line) { lines.emplace_back(line); });
                const bool fresh = !ActivityRecordFile(path).load().has_value();
                return fresh && testing::loggedOnlyItsSettingAside(lines, path) ? 0 : 1;
            },
            std::chrono::seconds(20));
        EXPECT_EQ(code, 0) << testing::describe(kind);
        if (fs::exists(fs::symlink_status(path))) {
            ADD_FAILURE() << "not set aside; reading it here would hang too";
            continue;
        }
        ActivityRecordFile file(path);
        file.save({savedRecord});
        file.flush();
        EXPECT_EQ(ActivityRecordFile(path).load(), std::vector<ActivityRecordValue>{savedRecord});
        const auto aside = asideCopies(folder.path(), path);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(fs::symlink_status(aside[0]).type(), testing::fileTypeOf(kind));
    }
}

TEST(ActivityRecordFileSetAside, BytesAfterANulByteAreKeptWithTheWholeFile) {
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const testing::TemporaryDirectory folder;
    const fs::path path = folder.path() / ActivityRecordFile::fileName;
    ActivityRecordFile file(path);
    file.save({savedRecord});
    file.flush();
    const std::string whole = readFile(path).value() + std::string("\0[more records]", 15);
    std::ofstream(path, std::ios::binary) << whole;

    EXPECT_EQ(file.load(), std::nullopt);
    file.save({savedRecord});
    file.flush();

    const auto aside = asideCopies(folder.path(), path);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readFile(aside[0]), whole);
    setLogSinkForTesting({});
}

} // namespace
} // namespace glimmo
