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
        accessibility = new AtspiAccessibility(readTimeoutMilliseconds);
        // A fresh session, as on a desktop that starts the accessibility bus only on demand and
        // with assistive technologies off: nothing has asked for the bus yet.
        trustedBeforePrompt = accessibility->isProcessTrusted(false);
        trustedAfterPrompt = accessibility->isProcessTrusted(true);
        trustedAfterwards = accessibility->isProcessTrusted(false);
        testing::ChildProcess::Options options;
        options.captureStandardOutput = true;
        options.environment = {{"DISPLAY", server->displayName()},
                               {"DBUS_SESSION_BUS_ADDRESS", bus->address()},
                               {"GSETTINGS_BACKEND", "memory"},
                               {"GTK_A11Y", "atspi"}};
        application = new testing::ChildProcess({"/usr/bin/python3", script}, options);
        if (application->readLine(60) != "ready") {
            why = "the GTK test window did not come up within 60 seconds";
            return;
        }
        // The window registers with the accessibility registry shortly after it is shown; not
        // finding it is a fault of the reader, not a missing service.
        window = waitForWindow(application->pid());
        if (!window) failure = "the GTK test window was not found on the accessibility bus within 60 seconds";
    }

    static std::shared_ptr<AccessibilityElement> waitForWindow(int processIdentifier) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            if (auto found = accessibility->firstWindowOfApplication(processIdentifier)) return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return nullptr;
    }

    static void TearDownTestSuite() {
        window.reset();
        delete accessibility;
        delete application;
        delete bus;
        delete server;
    }

    void SetUp() override {
        if (!failure.empty()) FAIL() << failure;
        if (!window) GTEST_SKIP() << why;
    }

    // Generous: the machine running the tests may be busy.
    static constexpr int readTimeoutMilliseconds = 10000;
    static inline bool trustedBeforePrompt = false;
    static inline bool trustedAfterPrompt = false;
    static inline bool trustedAfterwards = false;
    static inline std::string why;
    static inline std::string failure;
    static inline testing::XvfbServer* server = nullptr;
    static inline testing::SessionBus* bus = nullptr;
    static inline testing::ChildProcess* application = nullptr;
    static inline AtspiAccessibility* accessibility = nullptr;
    static inline std::shared_ptr<AccessibilityElement> window;
};

TEST_F(AtspiAccessibilityTest, TrustFollowsTheAccessibilityBusAndThePromptTurnsItOn) {
    EXPECT_FALSE(trustedBeforePrompt);
    EXPECT_TRUE(trustedAfterPrompt) << "the prompt starts the accessibility bus and turns it on";
    EXPECT_TRUE(trustedAfterwards) << "stays on";
    EXPECT_TRUE(accessibility->isProcessTrusted(false));
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

    const auto notes = findByRole(window, "AXTextArea");
    ASSERT_NE(notes, nullptr) << "a multi-line text view is a text area";
    EXPECT_EQ(notes->value(), "first line\nsecond line");

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

// A window's tree is what the window shows: its text reaches the summary before any limit runs out.
TEST_F(AtspiAccessibilityTest, TheTreeHoldsWhatIsOnScreenWithoutTheMenuBar) {
    std::string texts;
    walk(window, [&](AccessibilityElement& element) {
        for (const auto& text : {element.title(), element.value(), element.elementDescription()}) {
            if (text) texts += *text + "\n";
        }
    });
    for (const char* shown : {"first line\nsecond line", "Shown page text", "Press me"}) {
        EXPECT_NE(texts.find(shown), std::string::npos) << shown << " missing from:\n" << texts;
    }
    for (const char* hidden : {"Menu heading", "Menu entry", "Hidden page text"}) {
        EXPECT_EQ(texts.find(hidden), std::string::npos) << hidden << " in:\n" << texts;
    }
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
    ASSERT_EQ(second.readLine(60), "ready");
    const auto secondWindow = waitForWindow(second.pid());
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
