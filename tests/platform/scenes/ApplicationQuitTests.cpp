#include "platform/foundation/Locations.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TemporaryDirectory.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace glimmo {
namespace {

// SIGTERM quits the application; the settings it changed up to its very end are in the file.
TEST(ApplicationQuit, TheSettingsChangedUpToTheEndAreWrittenWhenSIGTERMQuitsTheApplication) {
    const char* program = std::getenv("GLIMMO_QUITTING_APPLICATION");
    ASSERT_NE(program, nullptr) << "GLIMMO_QUITTING_APPLICATION names the application";
    const testing::TemporaryDirectory home;
    {
        testing::ChildProcess application(
            {program}, {.environment = {{"HOME", home.path().string()},
                                        {"XDG_CONFIG_HOME", (home.path() / "config").string()},
                                        {"XDG_DATA_HOME", (home.path() / "data").string()},
                                        {"DISPLAY", ""},
                                        {"WAYLAND_DISPLAY", ""},
                                        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home.path() / "no-bus").string()},
                                        {"QT_QPA_PLATFORM", "offscreen"}},
                        .captureStandardOutput = true});
        std::optional<std::string> line;
        do {
            line = application.readLine(60);
        } while (line && *line != "ready");
        ASSERT_TRUE(line) << "the application did not start";
        application.terminate(); // SIGTERM, and waits for the end
    }
    const auto file = home.path() / "config" / bundleIdentifier() / "defaults.json";
    EXPECT_EQ(UserDefaults(file).string("lastQuit"), "as its object went");
}

} // namespace
} // namespace glimmo
