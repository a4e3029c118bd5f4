#include "platform/scenes/Application.h"
#include "platform/scenes/ApplicationDelegateAdaptor.h"
#include "platform/scenes/AssetCatalog.h"
#include "platform/scenes/Scenes.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

TEST(KeyboardShortcut, CommandIsCtrlAndTheKeyMatchesInEitherCase) {
    const KeyboardShortcut shortcut{.key = 'u', .command = true, .shift = true};
    EXPECT_EQ(shortcut.displayText(), "Shift+Ctrl+U");
    EXPECT_TRUE(shortcut.matches('u', true, true, false));
    EXPECT_TRUE(shortcut.matches('U', true, true, false));
    EXPECT_FALSE(shortcut.matches('u', true, false, false));
    EXPECT_FALSE(shortcut.matches('u', false, true, false));
    EXPECT_FALSE(shortcut.matches('u', true, true, true));
    EXPECT_FALSE(shortcut.matches('i', true, true, false));
    EXPECT_EQ((KeyboardShortcut{.key = ',', .command = true, .option = true}).displayText(), "Alt+Ctrl+,");
    EXPECT_FALSE(KeyboardShortcut{}.matches(0, false, false, false)) << "no key, no match";
}

TEST(Scenes, AllCommandsComeFromTheWindowGroupsInOrder) {
    const std::vector<Scene> scenes{
        WindowGroup{.commands = {CommandGroup{.buttons = {CommandButton{.title = "A"}, CommandButton{.title = "B"}}}}},
        SettingsScene{},
        WindowGroup{.commands = {CommandGroup{.placement = CommandGroupPlacement::appTermination,
                                              .buttons = {CommandButton{.title = "C"}}}}},
    };
    const auto commands = allCommands(scenes);
    ASSERT_EQ(commands.size(), 3U);
    EXPECT_EQ(commands[0].title, "A");
    EXPECT_EQ(commands[2].title, "C");
}

struct CountingDelegate {
    int launches = 0;
    void applicationDidFinishLaunching() { ++launches; }
};

TEST(Application, TheDelegateHearsOfTheLaunchOnceAndOnlyWhileItLives) {
    Application::shared().resetForTesting();
    {
        ApplicationDelegateAdaptor<CountingDelegate> adaptor;
        EXPECT_EQ(adaptor.wrappedValue().launches, 0);
        Application::shared().finishLaunching();
        Application::shared().finishLaunching();
        EXPECT_EQ(adaptor.wrappedValue().launches, 1);
        EXPECT_TRUE(Application::shared().hasFinishedLaunching());
    }
    Application::shared().resetForTesting();
    { ApplicationDelegateAdaptor<CountingDelegate> gone; }
    Application::shared().finishLaunching(); // the delegate is gone: nothing to call, nothing breaks
    EXPECT_TRUE(Application::shared().hasFinishedLaunching());
    Application::shared().resetForTesting();
}

class AssetCatalogTest : public ::testing::Test {
protected:
    AssetCatalogTest() {
        fs::create_directories(first);
        fs::create_directories(second);
    }
    void copyBullseye(const fs::path& to) {
        fs::copy_file(fs::path(GLIMMO_SOURCE_ASSETS) / "bullseye@2x.png", to, fs::copy_options::overwrite_existing);
    }
    testing::TemporaryDirectory directory;
    fs::path first = directory.path() / "first";
    fs::path second = directory.path() / "second";
};

TEST_F(AssetCatalogTest, DoubleResolutionFilesHaveTwoPixelsPerPoint) {
    copyBullseye(first / "mark@2x.png");
    copyBullseye(second / "plain.png");
    const auto mark = assetImage("mark", {first, second});
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->width, 36);
    EXPECT_DOUBLE_EQ(mark->scale, 2);
    EXPECT_DOUBLE_EQ(mark->pointWidth(), 18);
    const auto plain = assetImage("plain", {first, second});
    ASSERT_NE(plain, nullptr);
    EXPECT_DOUBLE_EQ(plain->scale, 1);
    EXPECT_TRUE(plain->isValid());
}

TEST_F(AssetCatalogTest, MissingUnreadableAndNonPlainNamesGiveNoImage) {
    EXPECT_EQ(assetImage("nothing", {first, second}), nullptr);
    std::ofstream(first / "broken.png") << "not a picture";
    EXPECT_EQ(assetImage("broken", {first}), nullptr);
    copyBullseye(directory.path() / "outside.png");
    EXPECT_EQ(assetImage("../outside", {first}), nullptr) << "names never leave the assets folders";
    EXPECT_EQ(assetImage("", {first}), nullptr);
    EXPECT_EQ(assetImage("..", {first}), nullptr);
}

TEST_F(AssetCatalogTest, AnUnreadableFileInAnEarlierFolderFallsThroughToTheNext) {
    std::ofstream(first / "mark.png") << "broken";
    copyBullseye(second / "mark@2x.png");
    const auto image = assetImage("mark", {first, second});
    ASSERT_NE(image, nullptr);
    EXPECT_DOUBLE_EQ(image->scale, 2);
}

// Reading a FIFO would wait for a writer and reading /dev/zero would never end: such a file in an
// image's place falls through to the next folder, in a child that is killed if it hangs.
TEST_F(AssetCatalogTest, AFifoDeviceOrSocketInPlaceOfAnImageFallsThroughWithoutWaiting) {
    copyBullseye(second / "mark@2x.png");
    for (const testing::SpecialFile kind : testing::specialFiles) {
        const fs::path path = first / "mark@2x.png";
        fs::remove(path);
        testing::makeSpecialFile(path, kind);
        const auto code = testing::exitCodeInForkedChild(
            [&] {
                const auto image = assetImage("mark", {first, second});
                return image && image->scale == 2 ? 0 : 1;
            },
            std::chrono::seconds(20));
        EXPECT_EQ(code, 0) << testing::describe(kind);
    }
}

TEST(AssetCatalogFolders, TheEnvironmentFolderComesFirstAndTheBuildOneShipsTheBullseye) {
    ::setenv("GLIMMO_ASSETS_DIR", "/nonexistent-assets", 1);
    const auto directories = assetDirectories();
    ::unsetenv("GLIMMO_ASSETS_DIR");
    ASSERT_FALSE(directories.empty());
    EXPECT_EQ(directories.front(), "/nonexistent-assets");
    EXPECT_NE(assetImage("bullseye"), nullptr);
}

} // namespace
} // namespace glimmo
