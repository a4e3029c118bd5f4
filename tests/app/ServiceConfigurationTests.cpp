#include "app/ServiceConfiguration.h"

#include "platform/foundation/Log.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

TEST(ServiceConfiguration, KeysAndAddressesComeFromTheEnvironment) {
    testing::ScopedEnvironment environment;
    environment.set("GEMINI_API_KEY", "gemini-secret");
    environment.set("GEMINI_BASE_URL", "http://127.0.0.1:9");
    environment.set("OPENAI_API_KEY", "openai-secret");
    environment.unset("OPENAI_BASE_URL");
    EXPECT_EQ(ServiceConfiguration::geminiAPIKey(), "gemini-secret");
    EXPECT_EQ(ServiceConfiguration::geminiBaseURL(), "http://127.0.0.1:9");
    EXPECT_EQ(ServiceConfiguration::openAIAPIKey(), "openai-secret");
    EXPECT_EQ(ServiceConfiguration::openAIBaseURL(), "https://api.openai.com");

    environment.unset("GEMINI_BASE_URL");
    environment.unset("OPENAI_API_KEY");
    EXPECT_EQ(ServiceConfiguration::geminiBaseURL(), "https://generativelanguage.googleapis.com");
    EXPECT_EQ(ServiceConfiguration::openAIAPIKey(), "");
}

TEST(ServiceConfiguration, AMissingKeyIsReportedOnceWithoutAnyKey) {
    ServiceConfiguration::forgetReportsForTesting();
    std::vector<std::string> lines;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { lines.emplace_back(line); });
    EXPECT_TRUE(ServiceConfiguration::checkKeyPresent("present", "SOME_TEST_KEY"));
    EXPECT_FALSE(ServiceConfiguration::checkKeyPresent("", "SOME_TEST_KEY"));
    EXPECT_FALSE(ServiceConfiguration::checkKeyPresent("", "SOME_TEST_KEY"));
    setLogSinkForTesting({});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "⚠️ SOME_TEST_KEY is not set: requests to the AI service will fail until it is.");
}

TEST(ServiceConfiguration, KeysWithControlCharactersAreRefusedNamingTheirVariable) {
    ServiceConfiguration::forgetReportsForTesting();
    testing::ScopedEnvironment environment;
    environment.set("GEMINI_API_KEY", "AIzaKey\r\nX-Injected: yes");
    environment.set("OPENAI_API_KEY", std::string("sk-proj-\x7f"));
    std::vector<std::string> lines;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(ServiceConfiguration::geminiAPIKey(), "");
    EXPECT_EQ(ServiceConfiguration::openAIAPIKey(), "");
    setLogSinkForTesting({});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].find("⚠️ GEMINI_API_KEY holds a control character"), 0u) << lines[0];
    EXPECT_EQ(lines[1].find("⚠️ OPENAI_API_KEY holds a control character"), 0u) << lines[1];
    EXPECT_EQ(lines[0].find("AIzaKey"), std::string::npos);
}

} // namespace
} // namespace glimmo
