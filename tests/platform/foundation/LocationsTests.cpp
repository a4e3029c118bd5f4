#include "platform/foundation/Error.h"
#include "platform/foundation/Locations.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

class LocationsTest : public ::testing::Test {
protected:
    LocationsTest() {
        environment.set("HOME", home.path().string());
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            environment.unset(name);
        }
    }

    void writeUserDirs(const std::string& content) {
        fs::create_directories(home.path() / ".config");
        std::ofstream(home.path() / ".config" / "user-dirs.dirs") << content;
    }

    testing::TemporaryDirectory home;
    testing::ScopedEnvironment environment;
};

TEST_F(LocationsTest, FallBackToFoldersUnderHome) {
    EXPECT_EQ(homeDirectory(), home.path());
    EXPECT_EQ(configurationDirectory(), home.path() / ".config");
    EXPECT_EQ(applicationSupportDirectory(), home.path() / ".local" / "share");
    EXPECT_EQ(documentsDirectory(), home.path() / "Documents");
}

TEST_F(LocationsTest, XdgVariablesWinAndRelativeOnesAreIgnored) {
    environment.set("XDG_CONFIG_HOME", "/elsewhere/config");
    environment.set("XDG_DATA_HOME", "relative/data");
    environment.set("XDG_DOCUMENTS_DIR", "/elsewhere/docs");
    EXPECT_EQ(configurationDirectory(), fs::path("/elsewhere/config"));
    EXPECT_EQ(applicationSupportDirectory(), home.path() / ".local" / "share");
    EXPECT_EQ(documentsDirectory(), fs::path("/elsewhere/docs"));
}

TEST_F(LocationsTest, DocumentsComeFromUserDirsFile) {
    writeUserDirs("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(documentsDirectory(), home.path() / "Dokumente");

    writeUserDirs("XDG_DOCUMENTS_DIR=\"/data/papers\"\n");
    EXPECT_EQ(documentsDirectory(), fs::path("/data/papers"));

    // Pointing at home itself means the folder is switched off.
    writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(documentsDirectory(), home.path() / "Documents");
}

TEST_F(LocationsTest, UserDirsFileThatIsAFifoCountsAsAbsent) {
    fs::create_directories(home.path() / ".config");
    ASSERT_EQ(::mkfifo((home.path() / ".config" / "user-dirs.dirs").c_str(), 0600), 0);
    // A regression waits in open() for a writer that never comes: the child is then killed.
    const auto code = testing::exitCodeInForkedChild(
        [&] { return documentsDirectory() == home.path() / "Documents" ? 0 : 1; }, std::chrono::seconds(20));
    EXPECT_EQ(code, 0);
}

TEST_F(LocationsTest, IdentityIsFixedAndNonEmpty) {
    EXPECT_EQ(bundleIdentifier(), "com.glimmodemo.GlimmoDemo");
    EXPECT_FALSE(loginName().empty());
}

} // namespace
} // namespace glimmo
