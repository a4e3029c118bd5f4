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

TEST(URLPolicyTest, AcceptsOnlyWebLinksWithAHostAndMailLinksWithoutHiddenHeaders) {
    EXPECT_TRUE(isOpenableWebURL("https://www.google.com/search?q=focus"));
    EXPECT_TRUE(isOpenableWebURL("http://example.com"));
    EXPECT_TRUE(isOpenableWebURL("HTTPS://EXAMPLE.COM/"));
    EXPECT_TRUE(isOpenableWebURL("mailto:someone@example.com"));
    EXPECT_TRUE(
        isOpenableWebURL("mailto:a@example.com?Subject=Notes&body=Hi%20there&cc=b@example.com&to=c@example.com"));
    EXPECT_TRUE(isOpenableWebURL("mailto:?subject=Notes"));

    const std::string_view refused[] = {
        "file:///etc/passwd", "javascript:alert(1)", "ftp://example.com", "--help", "https:", ":https://x", "",
        "https://example.com/a b", "https://example.com/\n--option", "https:x", "https://", "https://:443/",
        "http:/..//evil.com/x", "mailto:", "mailto:?attach=/home/user/.ssh/id_rsa",
        "mailto:a@example.com?bcc=eve@example.com", "mailto:a@example.com?subject=x&ATTACH=/etc/passwd",
        "mailto:a@example.com?%61ttach=/etc/passwd", "mailto:a@example.com?subject", "mailto:a@example.com%3Fattach=/etc/passwd",
        "mailto:a@example.com#?bcc=eve@example.com", notificationSettingsLink};
    for (const std::string_view link : refused) EXPECT_FALSE(isOpenableWebURL(link)) << link;
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
    const std::string link = "https://example.com/?q=$(touch$IFS'pwned');touch$IFS'pwned'&x=1";
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

TEST_F(URLOpenerTest, ReportsFailureWhenNothingCanBeStartedAndLogsWhatHappened) {
    std::vector<std::string> logged;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { logged.emplace_back(line); });
    // Longer than one argument may be (128 KiB): the opener exists, the link cannot reach it.
    EXPECT_FALSE(opener.open("https://example.com/?q=" + std::string(200 * 1024, 'a')));
    opener.opener = "glimmo-no-such-opener";
    EXPECT_FALSE(opener.open("https://example.com"));
    opener.settingsCommands = {{"glimmo-no-such-settings-program"}};
    EXPECT_FALSE(opener.open(std::string(notificationSettingsLink)));
    EXPECT_FALSE(opener.open("file:///etc/passwd"));
    setLogSinkForTesting({});
    ASSERT_EQ(logged.size(), 4u);
    EXPECT_NE(logged[0].find("too long"), std::string::npos) << logged[0];
    EXPECT_EQ(logged[0].find("xdg-utils"), std::string::npos) << logged[0];
    EXPECT_NE(logged[1].find("glimmo-no-such-opener"), std::string::npos) << logged[1];
    EXPECT_NE(logged[2].find("notification settings"), std::string::npos) << logged[2];
    EXPECT_NE(logged[3].find("only http, https and mailto"), std::string::npos) << logged[3];
    EXPECT_FALSE(std::filesystem::exists(record));
}

} // namespace
} // namespace glimmo
