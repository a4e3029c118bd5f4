#include "Settings/Pane.h"
#include "Settings/resource_bundle_accessor.h"
#include "platform/view/Text.h"
#include "platform/view/ViewHost.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <unordered_set>

using namespace settings;
using namespace glimmo;

TEST(PaneIdentifierTest, EqualityAndHashFollowTheExactString) {
    const Settings::PaneIdentifier a("general"), b(std::string("general")), upper("General");
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<Settings::PaneIdentifier>{}(a), std::hash<Settings::PaneIdentifier>{}(b));
    EXPECT_NE(a, upper);
    const std::unordered_set<Settings::PaneIdentifier> set{a, b, upper};
    EXPECT_EQ(set.size(), 2u);
}

TEST(PaneIdentifierTest, EncodesAsTheBareStringAndDecodesBack) {
    const Settings::PaneIdentifier id("advanced");
    const nlohmann::json json = id;
    EXPECT_EQ(json.dump(), "\"advanced\"");
    EXPECT_EQ(json.get<Settings::PaneIdentifier>(), id);
    EXPECT_THROW((void)nlohmann::json::parse(R"({"rawValue":"x"})").get<Settings::PaneIdentifier>(), nlohmann::json::exception);
}

TEST(PaneTest, BuildsItsContentOnceAndEachControllerHostsIt) {
    int builds = 0;
    const Settings::Pane pane(Settings::PaneIdentifier("general"), "General", Image::systemName("gearshape"), [&] {
        ++builds;
        return AnyView(Text("Launch at login")).frame(120, 30);
    });
    (void)pane.body();
    auto first = pane.makeSettingsPane();
    auto second = pane.makeSettingsPane();
    (void)pane.body();
    EXPECT_EQ(builds, 1);
    ASSERT_NE(first, second);
    EXPECT_EQ(first->paneIdentifier(), Settings::PaneIdentifier("general"));
    EXPECT_EQ(first->paneTitle(), "General");
    EXPECT_EQ(first->toolbarItemIcon().symbolName(), "gearshape");
    EXPECT_EQ(first->toolbarItemIdentifier(), "general");
    // The hosting view shows the pane's content at its size.
    ASSERT_NE(first->view().host(), nullptr);
    EXPECT_EQ(first->view().fittingSize(), (CGSize{120, 30}));
    EXPECT_NE(&first->view(), &second->view());
}

TEST(ResourceBundleTest, ReadsStringsTablesAndPrefersTheUserLanguage) {
    EXPECT_EQ(parseStringsTable("// comment\n\"settings\" = \"Settings\";\n\n\"quote\" = \"a \\\"b\\\"\";\nbroken\n"),
              (std::map<std::string, std::string>{{"settings", "Settings"}, {"quote", "a \"b\""}}));
    glimmo::testing::TemporaryDirectory dir;
    const auto bundle = dir.path() / "res" / "Settings_Settings.bundle";
    std::filesystem::create_directories(bundle / "en.lproj");
    std::filesystem::create_directories(bundle / "de.lproj");
    std::ofstream(bundle / "en.lproj" / "Localizable.strings") << "\"settings\" = \"Settings\";\n\"preferences\" = \"Preferences\";\n";
    std::ofstream(bundle / "de.lproj" / "Localizable.strings") << "\"settings\" = \"Einstellungen\";\n";
    {
        glimmo::testing::ScopedEnvironment lcAll("LC_ALL", std::nullopt), lcMessages("LC_MESSAGES", std::nullopt);
        glimmo::testing::ScopedEnvironment lang("LANG", "de_DE.UTF-8");
        // Absent candidates are skipped; the first folder holding the bundle wins.
        auto found = findResourceBundle({std::nullopt, dir.path() / "missing", dir.path() / "res"});
        ASSERT_TRUE(found);
        EXPECT_EQ(found->localizedString("settings"), "Einstellungen");
        EXPECT_EQ(found->localizedString("preferences"), "Preferences");
        EXPECT_EQ(found->localizedString("unknown"), "unknown");
    }
    EXPECT_FALSE(findResourceBundle({dir.path() / "missing"}));
}
