#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/TemporaryDirectory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

void writePlain(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::vector<fs::path> entries(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found.push_back(entry.path().filename());
    }
    std::sort(found.begin(), found.end());
    return found;
}

class FilesTest : public ::testing::Test {
protected:
    void TearDown() override {
        setAtomicWriteHookForTesting({});
        setLogSinkForTesting({});
    }
    testing::TemporaryDirectory folder;
};

TEST_F(FilesTest, AtomicWriteReplacesContentWithPrivateModeAndLeavesNoTemporaryFile) {
    const fs::path file = folder.path() / "records.json";
    writePlain(file, "old");
    ::chmod(file.c_str(), 0644);

    writeFileAtomically(file, std::string("new\0content", 11));

    EXPECT_EQ(readFile(file), std::string("new\0content", 11));
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(entries(folder.path()), std::vector<fs::path>{"records.json"});
}

TEST_F(FilesTest, WriteInterruptedBeforeRenameLeavesOldFileWhole) {
    const fs::path file = folder.path() / "records.json";
    writeFileAtomically(file, "[1, 2, 3]");
    fs::path seenTemporary;
    setAtomicWriteHookForTesting([&](const fs::path& temporary) {
        seenTemporary = temporary;
        // The new bytes are complete on disk at this point, beside the old file.
        EXPECT_EQ(readFile(temporary), "[4, 5");
        throw std::runtime_error("power cut");
    });

    EXPECT_THROW(writeFileAtomically(file, "[4, 5"), std::runtime_error);

    EXPECT_EQ(readFile(file), "[1, 2, 3]");
    EXPECT_EQ(seenTemporary.parent_path(), folder.path());
    EXPECT_FALSE(fs::exists(seenTemporary));
}

TEST_F(FilesTest, NextWriteRemovesTheTargetsStaleTemporaryFilesOnly) {
    const fs::path file = folder.path() / "records.json";
    writeFileAtomically(file, "old");
    for (const char* name : {".records.json.tmp-ABC123", ".records.json.tmp-zzzzzz", ".records.json.tmp-ABCDEFG",
                             ".other.json.tmp-ABCDEF", "records.json.tmp-ABCDEF"}) {
        writePlain(folder.path() / name, "half");
    }
    fs::create_directory(folder.path() / ".records.json.tmp-FOLDER");

    writeFileAtomically(file, "new");

    EXPECT_EQ(readFile(file), "new");
    EXPECT_EQ(entries(folder.path()), (std::vector<fs::path>{".other.json.tmp-ABCDEF", ".records.json.tmp-ABCDEFG",
                                                             ".records.json.tmp-FOLDER", "records.json",
                                                             "records.json.tmp-ABCDEF"}));
}

TEST_F(FilesTest, TemporaryFileOfAWriteInProgressIsNotTakenForStale) {
    const fs::path file = folder.path() / "records.json";
    bool nested = false;
    setAtomicWriteHookForTesting([&](const fs::path& temporary) {
        if (!std::exchange(nested, true)) {
            // Another write of the same file starts while this one waits to rename its temporary.
            writeFileAtomically(file, "second");
            EXPECT_EQ(readFile(temporary), "first");
        }
    });

    writeFileAtomically(file, "first");

    EXPECT_EQ(readFile(file), "first");
    EXPECT_EQ(entries(folder.path()), std::vector<fs::path>{"records.json"});
}

TEST_F(FilesTest, WriteIntoMissingFolderThrowsFileErrorNamingThePath) {
    const fs::path file = folder.path() / "missing" / "records.json";
    try {
        writeFileAtomically(file, "x");
        FAIL() << "expected FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.errorNumber(), ENOENT);
        EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("No such file or directory"), std::string::npos) << error.what();
        EXPECT_EQ(error.domain(), FileError::errorDomain);
    }
}

TEST_F(FilesTest, ReadFileDistinguishesMissingFromUnreadable) {
    EXPECT_EQ(readFile(folder.path() / "absent"), std::nullopt);
    EXPECT_EQ(readFile(folder.path() / "empty"), std::nullopt);
    writePlain(folder.path() / "empty", "");
    EXPECT_EQ(readFile(folder.path() / "empty"), "");
    // A folder exists but cannot be read as a file.
    EXPECT_THROW(readFile(folder.path()), FileError);
}

TEST_F(FilesTest, ReadsLargeFilesAndProcFilesWhole) {
    std::string big(300000, 'x');
    big[123456] = 'y';
    writeFileAtomically(folder.path() / "big", big);
    EXPECT_EQ(readFile(folder.path() / "big"), big);

    // A file of /proc says it is empty and is read to its end all the same.
    const fs::path status = "/proc/self/status";
    ASSERT_EQ(fs::file_size(status), 0u);
    const std::string text = readFile(status).value_or("");
    EXPECT_EQ(text.rfind("Name:\t", 0), 0u) << text;
    EXPECT_NE(text.find("\nPid:\t" + std::to_string(::getpid()) + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nnonvoluntary_ctxt_switches:"), std::string::npos) << text; // its last line
}

TEST_F(FilesTest, CopyAndStartOfAFileTakeRegularFilesOnly) {
    std::string big(300000, 'x');
    big[234567] = 'y';
    writePlain(folder.path() / "big", big);
    EXPECT_EQ(copyRegularFile(folder.path() / "big", folder.path() / "copy"), big.size());
    EXPECT_EQ(readFile(folder.path() / "copy"), big);
    EXPECT_EQ(fs::status(folder.path() / "copy").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_THROW(copyRegularFile(folder.path() / "big", folder.path() / "copy"), FileError) << "never overwrites";
    ASSERT_EQ(::mkfifo((folder.path() / "fifo").c_str(), 0600), 0);
    EXPECT_THROW(copyRegularFile(folder.path() / "fifo", folder.path() / "fromFifo"), FileError);
    EXPECT_THROW(copyRegularFile(folder.path() / "absent", folder.path() / "fromAbsent"), FileError);
    EXPECT_EQ(entries(folder.path()), (std::vector<fs::path>{"big", "copy", "fifo"}));
    struct Stop {};
    EXPECT_THROW(copyRegularFile(folder.path() / "big", folder.path() / "stopped", [] { throw Stop{}; }), Stop);
    EXPECT_EQ(fs::file_size(folder.path() / "stopped"), 0u) << "stopped before its first chunk";
    EXPECT_EQ(copyRegularFile(folder.path() / "big", folder.path() / "exact", {}, big.size()), big.size());
    try {
        copyRegularFile(folder.path() / "big", folder.path() / "cut", {}, 1000);
        ADD_FAILURE() << "a source larger than the room was copied";
    } catch (const FileError& error) {
        EXPECT_EQ(error.errorNumber(), EFBIG);
    }
    EXPECT_EQ(fs::file_size(folder.path() / "cut"), 1000u) << "no more than the room is written";

    const std::optional<FileStart> start = readFileStart(folder.path() / "big", 32);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->bytes, std::string(32, 'x'));
    EXPECT_EQ(start->size, big.size());
    writePlain(folder.path() / "short", "abc");
    EXPECT_EQ(readFileStart(folder.path() / "short", 32)->bytes, "abc");
    EXPECT_FALSE(readFileStart(folder.path() / "absent", 32));
    EXPECT_THROW(readFileStart(folder.path() / "fifo", 32), FileError);
}

TEST_F(FilesTest, ReadFileRefusesFilesPastTheLimitUnread) {
    const fs::path file = folder.path() / "huge";
    writePlain(file, "");
    fs::resize_file(file, maximumReadFileSize + 1); // sparse: nothing is written
    try {
        readFile(file);
        FAIL() << "expected FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.errorNumber(), EFBIG);
        EXPECT_NE(std::string(error.what()).find("256 MiB"), std::string::npos) << error.what();
    }
}

TEST_F(FilesTest, WritingThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    const fs::path dotfiles = folder.path() / "dotfiles";
    const fs::path config = folder.path() / "config";
    fs::create_directories(dotfiles / "app");
    fs::create_directory(config);
    writePlain(dotfiles / "app" / "defaults.json", "old");
    // Left by a killed write of the target: it is cleaned where the target is.
    writePlain(dotfiles / "app" / ".defaults.json.tmp-ABC123", "half");
    fs::create_symlink(dotfiles / "app" / "defaults.json", config / "defaults.json");
    fs::create_symlink("../dotfiles/app/defaults.json", config / "relative.json");

    writeFileAtomically(config / "defaults.json", "new");
    EXPECT_TRUE(fs::is_symlink(config / "defaults.json"));
    EXPECT_EQ(readFile(dotfiles / "app" / "defaults.json"), "new");
    EXPECT_EQ(entries(dotfiles / "app"), std::vector<fs::path>{"defaults.json"});

    writeFileAtomically(config / "relative.json", "newer");
    EXPECT_TRUE(fs::is_symlink(config / "relative.json"));
    EXPECT_EQ(readFile(dotfiles / "app" / "defaults.json"), "newer");
    EXPECT_EQ(entries(config), (std::vector<fs::path>{"defaults.json", "relative.json"}));
}

TEST_F(FilesTest, WritingThroughALinkThatLoopsOrLeadsToAFifoFails) {
    fs::create_symlink("b.json", folder.path() / "a.json");
    fs::create_symlink("a.json", folder.path() / "b.json");
    try {
        writeFileAtomically(folder.path() / "a.json", "x");
        FAIL() << "expected FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.errorNumber(), ELOOP);
    }
    ASSERT_EQ(::mkfifo((folder.path() / "fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", folder.path() / "piped.json");
    EXPECT_THROW(writeFileAtomically(folder.path() / "piped.json", "x"), FileError);
    EXPECT_TRUE(fs::is_fifo(folder.path() / "fifo"));
    EXPECT_EQ(entries(folder.path()), (std::vector<fs::path>{"a.json", "b.json", "fifo", "piped.json"}));
}

// A store that owns its folder refuses links: neither the file a link names nor the link is touched.
TEST_F(FilesTest, AReadOrWriteThatRefusesLinksGoesThroughNone) {
    writePlain(folder.path() / "outside.json", "outside");
    fs::create_symlink(folder.path() / "outside.json", folder.path() / "day.json");
    EXPECT_THROW(writeFileAtomically(folder.path() / "day.json", "x", WriteDurability::durable, SymbolicLinks::refused),
                 FileError);
    EXPECT_THROW(readFile(folder.path() / "day.json", SymbolicLinks::refused), FileError);
    EXPECT_EQ(readFile(folder.path() / "outside.json"), "outside");
    EXPECT_TRUE(fs::is_symlink(folder.path() / "day.json"));
    writeFileAtomically(folder.path() / "plain.json", "x", WriteDurability::durable, SymbolicLinks::refused);
    EXPECT_EQ(readFile(folder.path() / "plain.json", SymbolicLinks::refused), "x");
}

TEST_F(FilesTest, WriteFailsWhenItsLockCannotBeHeld) {
    const fs::path file = folder.path() / "records.json";
    writeFileAtomically(file, "old");
    // The lowest free descriptor is the last one allowed: the temporary file gets it, and the second
    // descriptor that holds its lock cannot be made.
    const auto code = testing::exitCodeInForkedChild(
        [&] {
            const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            ::close(lowestFree);
            const rlimit limit{static_cast<rlim_t>(lowestFree) + 1, static_cast<rlim_t>(lowestFree) + 1};
            ::setrlimit(RLIMIT_NOFILE, &limit);
            try {
                writeFileAtomically(file, "new");
            } catch (const FileError& error) {
                // Only the lock's descriptor, not the temporary file's, may be the one refused.
                return error.errorNumber() == EMFILE && std::string_view(error.what()).starts_with("lock ") ? 0 : 2;
            }
            return 1;
        },
        std::chrono::seconds(30));
    EXPECT_EQ(code, 0) << "1: the write went on without its lock";
    EXPECT_EQ(readFile(file), "old");
    EXPECT_EQ(entries(folder.path()), std::vector<fs::path>{"records.json"});
}

TEST_F(FilesTest, MoveAsideKeepsEveryEarlierCopyAndLogsBothPaths) {
    std::vector<std::string> logged;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { logged.emplace_back(line); });
    const fs::path file = folder.path() / "defaults.json";

    writePlain(file, "first broken");
    const auto firstAside = moveUnreadableFileAside(file, "not JSON");
    writePlain(file, "second broken");
    const auto secondAside = moveUnreadableFileAside(file, "still not JSON");

    ASSERT_TRUE(firstAside && secondAside);
    EXPECT_NE(*firstAside, *secondAside);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(firstAside->parent_path(), folder.path());
    EXPECT_EQ(firstAside->filename().string().rfind("defaults.json.unreadable-", 0), 0u);
    EXPECT_EQ(readFile(*firstAside), "first broken");
    EXPECT_EQ(readFile(*secondAside), "second broken");
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_NE(logged[0].find(file.string()), std::string::npos);
    EXPECT_NE(logged[0].find(firstAside->string()), std::string::npos);
    EXPECT_NE(logged[0].find("not JSON"), std::string::npos);
}

TEST_F(FilesTest, MoveAsideOfMissingFileDoesNothing) {
    EXPECT_EQ(moveUnreadableFileAside(folder.path() / "absent", "whatever"), std::nullopt);
    EXPECT_TRUE(entries(folder.path()).empty());
}

} // namespace
} // namespace glimmo
