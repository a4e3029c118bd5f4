// gtest comes before anything that pulls in Xlib, whose macros would break it.
#include <gtest/gtest.h>

#include "platform/desktop/linux/AtspiAccessibility.h"
#include "platform/desktop/linux/AtspiRoles.h"

#include "DesktopSession.h"

#include <atspi/atspi-constants.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

namespace glimmo {
namespace {

// Everything below the element, depth first.
void walk(const std::shared_ptr<AccessibilityElement>& element, const std::function<void(AccessibilityElement&)>& visit,
          int depth = 0) {
    if (!element || depth > 30) return;
    visit(*element);
    for (const auto& child : element->children()) walk(child, visit, depth + 1);
}

std::shared_ptr<AccessibilityElement> findByRole(const std::shared_ptr<AccessibilityElement>& root, const std::string& role,
                                                 int depth = 0) {
    if (!root || depth > 30) return nullptr;
    if (root->role() == role) return root;
    for (const auto& child : root->children()) {
        if (auto found = findByRole(child, role, depth + 1)) return found;
    }
    return nullptr;
}

class AtspiAccessibilityTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string script = std::string(GLIMMO_DESKTOP_TEST_SCRIPTS) + "/accessible_window.py";
        if (!testing::programExists("/usr/bin/python3") ||
            std::system("/usr/bin/python3 -c 'import gi; gi.require_version(\"Gtk\", \"3.0\")' 2>/dev/null") != 0) {
            why = "needs GTK 3 for Python (Debian packages python3-gi and gir1.2-gtk-3.0)";
            return;
        }
        if (!std::filesystem::exists("/usr/libexec/at-spi-bus-launcher")) {
            why = "needs the AT-SPI bus (Debian package at-spi2-core)";
            return;
        }
        server = testing::XvfbServer::start(why).release();
        if (!server) return;
        bus = testing::SessionBus::start(server->displayName(), why).release();
        if (!bus) return;
        // The library reads these once, when it first connects.
        setenv("DISPLAY", server->displayName().c_str(), 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", bus->address().c_str(), 1);
        testing::ChildProcess::Options options;
        options.captureStandardOutput = true;
        options.environment = {{"DISPLAY", server->displayName()},
                               {"DBUS_SESSION_BUS_ADDRESS", bus->address()},
                               {"GSETTINGS_BACKEND", "memory"},
                               {"GTK_A11Y", "atspi"}};
        application = new testing::ChildProcess({"/usr/bin/python3", script}, options);
        if (application->readLine(20) != "ready") {
            why = "the GTK test window did not come up within 20 seconds";
            return;
        }
        accessibility = new AtspiAccessibility();
        // The window registers with the accessibility registry shortly after it is shown.
        for (int i = 0; i < 100 && !window; ++i) {
            window = accessibility->firstWindowOfApplication(application->pid());
            if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!window) why = "the GTK test window did not appear on the accessibility bus within 10 seconds";
    }

    static void TearDownTestSuite() {
        window.reset();
        delete accessibility;
        delete application;
        delete bus;
        delete server;
    }

    void SetUp() override {
        if (!window) GTEST_SKIP() << why;
    }

    static inline std::string why;
    static inline testing::XvfbServer* server = nullptr;
    static inline testing::SessionBus* bus = nullptr;
    static inline testing::ChildProcess* application = nullptr;
    static inline AtspiAccessibility* accessibility = nullptr;
    static inline std::shared_ptr<AccessibilityElement> window;
};

TEST_F(AtspiAccessibilityTest, TrustFollowsTheAccessibilityBusAndThePromptTurnsItOn) {
    // The private session starts with assistive technologies off, as a fresh desktop does.
    EXPECT_FALSE(accessibility->isProcessTrusted(false));
    EXPECT_TRUE(accessibility->isProcessTrusted(true));
    EXPECT_TRUE(accessibility->isProcessTrusted(false)) << "stays on";
}

TEST_F(AtspiAccessibilityTest, FirstWindowOfTheApplicationHasItsTitle) {
    EXPECT_EQ(window->role(), "AXWindow");
    EXPECT_EQ(window->title(), "Glimmo Accessibility Test");
    EXPECT_EQ(accessibility->applicationElement(application->pid())->role(), "AXApplication");
    EXPECT_EQ(accessibility->firstWindowOfApplication(999999), nullptr);
    EXPECT_EQ(accessibility->applicationElement(0), nullptr);
}

TEST_F(AtspiAccessibilityTest, ReadsLabelsTextFieldsButtonsAndNumbers) {
    const auto label = findByRole(window, "AXStaticText");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->value(), "Hello from the label");
    EXPECT_EQ(label->title(), std::nullopt) << "a label's text is its value, as on the original platform";

    const auto field = findByRole(window, "AXTextField");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->value(), "typed into the field");

    const auto button = findByRole(window, "AXButton");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->title(), "Press me");
    EXPECT_EQ(button->elementDescription(), "Sends nothing anywhere");

    const auto slider = findByRole(window, "AXSlider");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), "42");
}

TEST_F(AtspiAccessibilityTest, NeverReadsPasswordFields) {
    bool sawSecret = false;
    int elements = 0;
    walk(window, [&](AccessibilityElement& element) {
        ++elements;
        for (const auto& text : {element.title(), element.value(), element.elementDescription()}) {
            if (text && text->find("secret-password") != std::string::npos) sawSecret = true;
        }
    });
    EXPECT_GT(elements, 5);
    EXPECT_FALSE(sawSecret);
}

TEST_F(AtspiAccessibilityTest, ChildrenAreLimitedAndReadableFromAnotherThread) {
    const auto box = findByRole(window, "AXGroup");
    ASSERT_NE(box, nullptr);
    ASSERT_GE(box->children().size(), 5u);
    EXPECT_EQ(box->children(2).size(), 2u);
    EXPECT_TRUE(box->children(0).empty());

    std::optional<std::string> labelText;
    std::thread reader([&] {
        if (const auto label = findByRole(window, "AXStaticText")) labelText = label->value();
    });
    reader.join();
    EXPECT_EQ(labelText, "Hello from the label");
}

TEST_F(AtspiAccessibilityTest, ReadsOfAnApplicationThatQuitGiveNothing) {
    testing::ChildProcess::Options options;
    options.captureStandardOutput = true;
    options.environment = {{"DISPLAY", server->displayName()},
                           {"DBUS_SESSION_BUS_ADDRESS", bus->address()},
                           {"GSETTINGS_BACKEND", "memory"}};
    testing::ChildProcess second({"/usr/bin/python3", std::string(GLIMMO_DESKTOP_TEST_SCRIPTS) + "/accessible_window.py"},
                                 options);
    ASSERT_EQ(second.readLine(20), "ready");
    std::shared_ptr<AccessibilityElement> secondWindow;
    for (int i = 0; i < 100 && !secondWindow; ++i) {
        secondWindow = accessibility->firstWindowOfApplication(second.pid());
        if (!secondWindow) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_NE(secondWindow, nullptr);
    second.terminate();
    EXPECT_EQ(secondWindow->title(), std::nullopt);
    EXPECT_TRUE(secondWindow->children().empty());
}

TEST(AtspiRolesTest, MapsToTheRoleNamesTheAnalysisKnows) {
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_FRAME, false), "AXWindow");
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_DIALOG, false), "AXWindow");
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_LABEL, false), "AXStaticText");
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_ENTRY, false), "AXTextField");
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_TEXT, true), "AXTextArea");
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_PUSH_BUTTON, false), "AXButton");
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_DOCUMENT_WEB, false), "AXWebArea");
    EXPECT_EQ(axRoleForAtspiRole(ATSPI_ROLE_INVALID, false), "AXUnknown");
    EXPECT_FALSE(atspiRoleHasTextValue(ATSPI_ROLE_PASSWORD_TEXT));
}

} // namespace
} // namespace glimmo
