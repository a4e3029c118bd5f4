#include "platform/desktop/linux/DesktopEntries.h"

#include "tests/support/ForkedRun.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

namespace glimmo {
namespace {

TEST(DesktopEntriesTest, ParsesNameLocalisedNameWindowClassAndExecutable) {
    const auto entry = DesktopEntries::parse("google-chrome",
                                             "# comment\n[Desktop Entry]\nType=Application\nName=Google Chrome\n"
                                             "Name[de]=Google Chrome (de)\nExec=/usr/bin/google-chrome-stable %U\n"
                                             "StartupWMClass=Google-chrome\n[Desktop Action new-window]\nName=New Window\n",
                                             "de_DE");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "Google Chrome (de)");
    EXPECT_EQ(entry->startupWMClass, "Google-chrome");
    EXPECT_EQ(entry->executable, "google-chrome-stable");
    EXPECT_EQ(DesktopEntries::parse("google-chrome", "[Desktop Entry]\nType=Application\nName=Google Chrome\n"
                                                     "Name[de]=Chrome DE\n[Desktop Action x]\nName=New Window\n", "")->name,
              "Google Chrome")
        << "an action's name does not replace the application's";
}

TEST(DesktopEntriesTest, SkipsWhatIsNotAVisibleApplication) {
    EXPECT_FALSE(DesktopEntries::parse("link", "[Desktop Entry]\nType=Link\nName=Site\n", ""));
    EXPECT_FALSE(DesktopEntries::parse("gone", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n", ""));
    EXPECT_FALSE(DesktopEntries::parse("nameless", "[Desktop Entry]\nType=Application\n", ""));
    EXPECT_EQ(DesktopEntries::parse("env", "[Desktop Entry]\nType=Application\nName=E\nExec=env FOO=1 \"/opt/x/editor\" %F\n", "")
                  ->executable,
              "editor");
}

TEST(DesktopEntriesTest, MatchesWindowClassThenIdThenExecutable) {
    testing::TemporaryDirectory home;
    testing::TemporaryDirectory system;
    const auto write = [](const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    };
    write(home.path() / "org.example.Editor.desktop",
          "[Desktop Entry]\nType=Application\nName=My Editor\nStartupWMClass=EditorWin\nExec=editor-bin\n");
    // The same id lower in the search path is hidden by the user's copy.
    write(system.path() / "org.example.Editor.desktop", "[Desktop Entry]\nType=Application\nName=System Editor\n");
    write(system.path() / "firefox.desktop", "[Desktop Entry]\nType=Application\nName=Firefox\nExec=firefox %u\n");
    write(system.path() / "vendor" / "tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\nExec=/opt/tool/run-tool\n");

    const auto entries = DesktopEntries::loadFrom({home.path(), system.path(), system.path() / "missing"}, "");
    EXPECT_EQ(entries.entries().size(), 3u);
    EXPECT_EQ(entries.match("editorwin", "editorwin", "")->name, "My Editor");
    EXPECT_EQ(entries.match("Navigator", "Firefox", "")->id, "firefox");
    const auto byExecutable = entries.match("x", "Unknown", "run-tool");
    ASSERT_TRUE(byExecutable);
    EXPECT_EQ(byExecutable->id, "vendor-tool");
    EXPECT_FALSE(entries.match("x", "Unknown", "other"));
    EXPECT_FALSE(entries.match("", "", ""));
}

// A window is named after an entry by its process's executable only when that says which
// application it is: not for interpreters and shells, and not when several entries start it.
TEST(DesktopEntriesTest, ExecutablesThatNameNoSingleApplicationMatchNothing) {
    testing::TemporaryDirectory folder;
    const auto write = [&](const std::string& id, const std::string& exec) {
        std::ofstream(folder.path() / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << id << "\nExec=" << exec << "\n";
    };
    write("backup-tool", "python3 /usr/share/backup/main.py");
    write("launcher", "sh -c \"run-something\"");
    write("viewer-a", "shared-viewer --mode=a");
    write("viewer-b", "shared-viewer --mode=b");
    write("solo", "/usr/bin/solo-app %F");
    const auto entries = DesktopEntries::loadFrom({folder.path()}, "");
    ASSERT_EQ(entries.entries().size(), 5u);
    EXPECT_FALSE(entries.match("x", "SomeScript", "python3")) << "any Python program would be named so";
    EXPECT_FALSE(entries.match("x", "SomeShell", "sh"));
    EXPECT_FALSE(entries.match("x", "Viewer", "shared-viewer")) << "two entries start it";
    ASSERT_TRUE(entries.match("x", "Solo", "solo-app"));
    EXPECT_EQ(entries.match("x", "Solo", "solo-app")->id, "solo");
    EXPECT_EQ(entries.match("backup-tool", "Backup", "python3")->id, "backup-tool") << "the id still matches";
}

TEST(DesktopEntriesTest, AFifoNamedLikeAnEntryIsPassedOverWithoutWaiting) {
    testing::TemporaryDirectory home;
    testing::TemporaryDirectory system;
    ASSERT_EQ(::mkfifo((home.path() / "editor.desktop").c_str(), 0600), 0);
    std::ofstream(system.path() / "editor.desktop") << "[Desktop Entry]\nType=Application\nName=Editor\n";
    // A regression waits in open() for a writer that never comes: the child is then killed.
    const auto code = testing::exitCodeInForkedChild(
        [&] {
            const auto entries = DesktopEntries::loadFrom({home.path(), system.path()}, "");
            return entries.entries().size() == 1 && entries.entries()[0].name == "Editor" ? 0 : 1;
        },
        std::chrono::seconds(20));
    EXPECT_EQ(code, 0);
}

} // namespace
} // namespace glimmo
