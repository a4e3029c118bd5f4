#include "platform/desktop/URLPolicy.h"
#include "platform/desktop/linux/URLOpener.h"
#include "platform/foundation/Log.h"

#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/stat.h>

namespace glimmo {
namespace {

TEST(URLPolicyTest, AcceptsOnlyWebAndMailLinks) {
    EXPECT_TRUE(isOpenableWebURL("https://www.google.com/search?q=focus"));
    EXPECT_TRUE(isOpenableWebURL("http://example.com"));
    EXPECT_TRUE(isOpenableWebURL("HTTPS://EXAMPLE.COM/"));
    EXPECT_TRUE(isOpenableWebURL("mailto:someone@example.com"));

    EXPECT_FALSE(isOpenableWebURL("file:///etc/passwd"));
    EXPECT_FALSE(isOpenableWebURL("javascript:alert(1)"));
    EXPECT_FALSE(isOpenableWebURL("ftp://example.com"));
    EXPECT_FALSE(isOpenableWebURL("--help"));
    EXPECT_FALSE(isOpenableWebURL("https:"));
    EXPECT_FALSE(isOpenableWebURL(":https://x"));
    EXPECT_FALSE(isOpenableWebURL(""));
    EXPECT_FALSE(isOpenableWebURL("https://example.com/a b"));
    EXPECT_FALSE(isOpenableWebURL("https://example.com/\n--option"));
    EXPECT_FALSE(isOpenableWebURL(notificationSettingsLink));
}

// A stand-in for xdg-open that writes each argument it receives on a line of its own.
class URLOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        script = directory.path() / "record-arguments";
        record = directory.path() / "arguments.txt";
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << record.string()
                              << ".part'\nmv '" << record.string() << ".part' '" << record.string() << "'\n";
        chmod(script.c_str(), 0700);
        opener.opener = script.string();
    }

    // What the opener received; waits a bounded time since it runs on its own.
    std::optional<std::vector<std::string>> waitForArguments() {
        for (int i = 0; i < 600; ++i) {
            std::ifstream in(record);
            if (in) {
                std::vector<std::string> lines;
                std::string line;
                while (std::getline(in, line)) lines.push_back(line);
                return lines;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return std::nullopt;
    }

    testing::TemporaryDirectory directory;
    std::filesystem::path script;
    std::filesystem::path record;
    URLOpener opener;
};

TEST_F(URLOpenerTest, PassesTheLinkAsOneArgumentWithoutAShell) {
    const std::string link = "https://example.com/?q=$(touch${IFS}pwned);`touch${IFS}pwned`&x=1|y>pwned";
    ASSERT_TRUE(opener.open(link));
    const auto arguments = waitForArguments();
    ASSERT_TRUE(arguments);
    EXPECT_EQ(*arguments, std::vector<std::string>{link});
    EXPECT_FALSE(std::filesystem::exists(directory.path() / "pwned"));
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(URLOpenerTest, RefusesOtherSchemesWithoutStartingAnything) {
    EXPECT_FALSE(opener.open("file:///etc/passwd"));
    EXPECT_FALSE(opener.open("x-scheme-handler:evil"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(std::filesystem::exists(record));
}

TEST_F(URLOpenerTest, SettingsLinkStartsTheFirstSettingsProgramFound) {
    opener.settingsCommands = {{"glimmo-no-such-settings-program"}, {script.string(), "notifications"}};
    ASSERT_TRUE(opener.open(std::string(notificationSettingsLink)));
    const auto arguments = waitForArguments();
    ASSERT_TRUE(arguments);
    EXPECT_EQ(*arguments, std::vector<std::string>{"notifications"});
}

TEST_F(URLOpenerTest, ReportsFailureWhenNothingCanBeStartedAndLogsWhatIsMissing) {
    std::vector<std::string> logged;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { logged.emplace_back(line); });
    opener.opener = "glimmo-no-such-opener";
    EXPECT_FALSE(opener.open("https://example.com"));
    opener.settingsCommands = {{"glimmo-no-such-settings-program"}};
    EXPECT_FALSE(opener.open(std::string(notificationSettingsLink)));
    EXPECT_FALSE(opener.open("file:///etc/passwd"));
    setLogSinkForTesting({});
    ASSERT_EQ(logged.size(), 2u) << "a refused link is no missing program";
    EXPECT_NE(logged[0].find("glimmo-no-such-opener"), std::string::npos) << logged[0];
    EXPECT_NE(logged[1].find("notification settings"), std::string::npos) << logged[1];
}

} // namespace
} // namespace glimmo
