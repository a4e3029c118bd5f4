#include "generative-ai/ClientError.h"
#include "generative-ai/Logging.h"

#include <gtest/gtest.h>

namespace genai {
namespace {

TEST(DebugLaunchArgument, MatchesOnlyTheWholeArgument) {
    EXPECT_TRUE(Logging::containsDebugLaunchArgument({"app", "-x", "-GenerativeAIDebugLogEnabled"}));
    EXPECT_TRUE(Logging::containsDebugLaunchArgument({"-GenerativeAIDebugLogEnabled", "app"}));
    EXPECT_FALSE(Logging::containsDebugLaunchArgument({"app"}));
    EXPECT_FALSE(Logging::containsDebugLaunchArgument({"app", "-GenerativeAIDebugLogEnabled=YES"}));
    EXPECT_FALSE(Logging::containsDebugLaunchArgument({"app", "-generativeaidebuglogenabled"}));
    EXPECT_FALSE(Logging::containsDebugLaunchArgument({"app", "--GenerativeAIDebugLogEnabled"}));
}

TEST(DebugLaunchArgument, DecidesWhetherTheExtraLoggersWrite) {
    // This binary runs twice under ctest: once plain and once with the argument.
    const bool enabled = Logging::additionalLoggingEnabled();
    EXPECT_EQ(Logging::network().isEnabled(), enabled);
    EXPECT_EQ(Logging::verbose().isEnabled(), enabled);
    EXPECT_EQ(Logging::network().isEnabled() && Logging::network().isDebugEnabled(), enabled);
    EXPECT_TRUE(Logging::defaultLogger().isEnabled());
    EXPECT_EQ(Logging::defaultLogger().subsystem(), clientErrorDomain);
    EXPECT_EQ(Logging::defaultLogger().category(), "");
    if (enabled) {
        EXPECT_EQ(Logging::network().subsystem(), clientErrorDomain);
        EXPECT_EQ(Logging::network().category(), "NetworkResponse");
        EXPECT_EQ(Logging::verbose().subsystem(), clientErrorDomain);
        EXPECT_EQ(Logging::verbose().category(), "");
        EXPECT_TRUE(Logging::verbose().isDebugEnabled());
    }
}

} // namespace
} // namespace genai
