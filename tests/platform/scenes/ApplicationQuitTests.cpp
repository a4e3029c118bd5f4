#include "platform/foundation/Locations.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TemporaryDirectory.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

// SIGTERM quits the application; the settings it changed up to its very end are in the file.
TEST(ApplicationQuit, TheSettingsChangedUpToTheEndAreWrittenWhenSIGTERMQuitsTheApplication) {
    const TemporaryDirectory home;
    {
        const auto in = [&](const char* name) { return (home.path() / name).string(); };
        ChildProcess application({GLIMMO_QUITTING_APPLICATION},
                                 {.environment = {{"HOME", home.path().string()}, {"XDG_CONFIG_HOME", in("config")},
                                                  {"XDG_DATA_HOME", in("data")}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""},
                                                  {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + in("no-bus")},
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
} // namespace glimmo::testing
