#include "platform/desktop/linux/AtspiAccessibility.h"
#include "platform/foundation/Log.h"

#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

// Without any accessibility bus the user is told what to install, not which setting to turn on.
TEST(AtspiTrustWithoutBusTest, UntrustedAndTheMessageSaysWhatIsMissing) {
    testing::ScopedEnvironment environment("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/glimmo-test-bus");
    std::vector<std::string> logged;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { logged.emplace_back(line); });
    AtspiAccessibility accessibility;
    EXPECT_FALSE(accessibility.isProcessTrusted(false));
    EXPECT_TRUE(logged.empty()) << "only the prompt explains";
    EXPECT_FALSE(accessibility.isProcessTrusted(true));
    EXPECT_EQ(accessibility.firstWindowOfApplication(1), nullptr);
    setLogSinkForTesting({});
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("at-spi2-core"), std::string::npos) << logged[0];
}

} // namespace
} // namespace glimmo
