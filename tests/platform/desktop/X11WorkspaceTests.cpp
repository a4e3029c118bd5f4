// gtest comes before Xlib, whose macros (None, Bool...) would break it.
#include <gtest/gtest.h>

#include "platform/desktop/DesktopError.h"
#include "platform/desktop/linux/DesktopEntries.h"
#include "platform/desktop/linux/X11Workspace.h"
#include "platform/desktop/linux/XInputActivityTap.h"
#include "platform/runtime/RealTimeRunLoop.h"

#include "DesktopSession.h"
#include "tests/support/TemporaryDirectory.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>


#include <fstream>

#include <unistd.h>

namespace glimmo {
namespace {

// Plays the window manager: creates client windows and sets the root window's properties.
class FakeWindowManager {
public:
    explicit FakeWindowManager(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {}
    ~FakeWindowManager() {
        if (display_) XCloseDisplay(display_);
    }

    Window createWindow(const char* instance, const char* className, std::optional<long> pid) {
        const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 100, 100, 0, 0, 0);
        if (className) {
            XClassHint hint{const_cast<char*>(instance), const_cast<char*>(className)};
            XSetClassHint(display_, window, &hint);
        }
        if (pid) {
            const long value = *pid;
            XChangeProperty(display_, window, atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&value), 1);
        }
        XMapWindow(display_, window);
        clients_.push_back(static_cast<long>(window));
        XChangeProperty(display_, DefaultRootWindow(display_), atom("_NET_CLIENT_LIST"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(clients_.data()), static_cast<int>(clients_.size()));
        XSync(display_, False);
        return window;
    }

    void activate(Window window) {
        const long value = static_cast<long>(window);
        XChangeProperty(display_, DefaultRootWindow(display_), atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(display_, False);
    }

    // The root window outlives each test's windows: start every test from a desktop with no
    // active window and no clients.
    void clearRootProperties() {
        XDeleteProperty(display_, DefaultRootWindow(display_), atom("_NET_ACTIVE_WINDOW"));
        XDeleteProperty(display_, DefaultRootWindow(display_), atom("_NET_CLIENT_LIST"));
        XSync(display_, False);
    }

    void destroy(Window window) {
        XDestroyWindow(display_, window);
        XSync(display_, False);
    }

    bool isOpen() const { return display_ != nullptr; }

private:
    Atom atom(const char* name) { return XInternAtom(display_, name, False); }

    Display* display_;
    std::vector<long> clients_;
};

class X11WorkspaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = testing::XvfbServer::start(whyNoServer).release();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        if (!server) GTEST_SKIP() << "needs an X server for the test: " << whyNoServer;
        RunLoop::setMain(loop);
        const auto applications = directory.path() / "applications";
        std::filesystem::create_directories(applications);
        std::ofstream(applications / "org.example.Editor.desktop")
            << "[Desktop Entry]\nType=Application\nName=Text Editor\nStartupWMClass=EditorClass\nExec=editor\n";
        const std::string self = std::filesystem::read_symlink("/proc/self/exe").filename().string();
        std::ofstream(applications / "self.desktop")
            << "[Desktop Entry]\nType=Application\nName=Test Runner\nExec=" << self << " --flag\n";
        entries = std::make_shared<const DesktopEntries>(DesktopEntries::loadFrom({applications}, ""));
        windowManager = std::make_unique<FakeWindowManager>(server->displayName());
        ASSERT_TRUE(windowManager->isOpen());
        windowManager->clearRootProperties();
    }

    void TearDown() override {
        workspace.reset();
        windowManager.reset();
        RunLoop::setMain(nullptr);
    }

    void makeWorkspace() {
        X11Workspace::Options options;
        options.displayName = server->displayName();
        options.desktopEntries = entries;
        workspace = std::make_unique<X11Workspace>(options);
    }

    static inline testing::XvfbServer* server = nullptr;
    static inline std::string whyNoServer;

    std::shared_ptr<RealTimeRunLoop> loop = std::make_shared<RealTimeRunLoop>();
    testing::TemporaryDirectory directory;
    std::shared_ptr<const DesktopEntries> entries;
    std::unique_ptr<FakeWindowManager> windowManager;
    std::unique_ptr<X11Workspace> workspace;
};

TEST_F(X11WorkspaceTest, FrontmostApplicationIsNamedFromItsDesktopEntryElseItsWindowClass) {
    const Window editor = windowManager->createWindow("editor", "EditorClass", 4242);
    const Window viewer = windowManager->createWindow("viewer", "GlimmoViewer", 4343);
    const Window runner = windowManager->createWindow("runner", "NoEntryForThisClass", getpid());
    const Window anonymous = windowManager->createWindow(nullptr, nullptr, std::nullopt);
    makeWorkspace();
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt) << "no active window yet";

    windowManager->activate(editor);
    EXPECT_EQ(workspace->frontmostApplication(), (RunningApplication{"Text Editor", 4242, "org.example.Editor"}));
    windowManager->activate(viewer);
    EXPECT_EQ(workspace->frontmostApplication(), (RunningApplication{"GlimmoViewer", 4343, "GlimmoViewer"}));
    windowManager->activate(runner);
    EXPECT_EQ(workspace->frontmostApplication(), (RunningApplication{"Test Runner", getpid(), "self"}))
        << "matched by the process's executable";
    windowManager->activate(anonymous);
    EXPECT_EQ(workspace->frontmostApplication(), (RunningApplication{"", 0, ""}));
}

TEST_F(X11WorkspaceTest, ActivationEventsArriveOnTheMainLoopOncePerApplicationChange) {
    const Window editor = windowManager->createWindow("editor", "EditorClass", 4242);
    const Window editorSecondWindow = windowManager->createWindow("editor", "EditorClass", 4242);
    const Window viewer = windowManager->createWindow("viewer", "GlimmoViewer", 4343);
    windowManager->activate(editor);
    makeWorkspace();

    std::vector<RunningApplication> activations;
    bool onMainLoop = true;
    auto subscription = workspace->observeDidActivateApplication([&](const RunningApplication& app) {
        onMainLoop = onMainLoop && loop->isCurrent();
        activations.push_back(app);
    });

    windowManager->activate(viewer);
    ASSERT_TRUE(loop->runUntil([&] { return activations.size() == 1; }, 30));
    EXPECT_EQ(activations[0].localizedName, "GlimmoViewer");
    EXPECT_EQ(activations[0].processIdentifier, 4343);

    windowManager->activate(editor);
    ASSERT_TRUE(loop->runUntil([&] { return activations.size() == 2; }, 30));
    EXPECT_EQ(activations[1].localizedName, "Text Editor");

    // Another window of the same application and then the bare desktop (no active window) are no
    // activation of another application.
    windowManager->activate(editorSecondWindow);
    windowManager->activate(None);
    windowManager->activate(viewer);
    ASSERT_TRUE(loop->runUntil([&] { return activations.size() == 3; }, 30));
    EXPECT_EQ(activations[2].localizedName, "GlimmoViewer");
    EXPECT_TRUE(onMainLoop);

    subscription.cancel();
    windowManager->activate(editor);
    loop->runUntil([] { return false; }, 0.3);
    EXPECT_EQ(activations.size(), 3u);
}

TEST_F(X11WorkspaceTest, SurvivesTheActiveWindowVanishing) {
    const Window editor = windowManager->createWindow("editor", "EditorClass", 4242);
    const Window viewer = windowManager->createWindow("viewer", "GlimmoViewer", 4343);
    makeWorkspace();
    std::vector<std::string> names;
    auto subscription = workspace->observeDidActivateApplication(
        [&](const RunningApplication& app) { names.push_back(app.localizedName); });
    windowManager->destroy(editor);
    windowManager->activate(editor); // a window manager can be late: the window is already gone
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt) << "a window that is gone is no application";
    windowManager->activate(viewer);
    ASSERT_TRUE(loop->runUntil([&] { return !names.empty() && names.back() == "GlimmoViewer"; }, 30));
    EXPECT_EQ(names, std::vector<std::string>{"GlimmoViewer"}) << "no nameless application in between";
    EXPECT_EQ(workspace->frontmostApplication()->localizedName, "GlimmoViewer");
}

TEST_F(X11WorkspaceTest, RunningApplicationsListsEachProcessOnce) {
    windowManager->createWindow("editor", "EditorClass", 4242);
    windowManager->createWindow("editor", "EditorClass", 4242);
    windowManager->createWindow("viewer", "GlimmoViewer", 4343);
    makeWorkspace();
    const auto running = workspace->runningApplications();
    ASSERT_EQ(running.size(), 2u);
    EXPECT_EQ(running[0].localizedName, "Text Editor");
    EXPECT_EQ(running[1].localizedName, "GlimmoViewer");
}

TEST(X11WorkspaceWithoutDisplayTest, ConstructionFailsWithATypedError) {
    X11Workspace::Options options;
    options.displayName = ":65000";
    EXPECT_THROW(X11Workspace{options}, DesktopServiceError);
}

} // namespace
} // namespace glimmo

namespace glimmo {
namespace {

TEST(X11ServerGoneTest, WorkspaceAndTapOutliveTheXServer) {
    std::string why;
    auto server = testing::XvfbServer::start(why);
    if (!server) GTEST_SKIP() << "needs an X server for the test: " << why;
    auto loop = std::make_shared<RealTimeRunLoop>();
    RunLoop::setMain(loop);
    {
        X11Workspace::Options options;
        options.displayName = server->displayName();
        options.desktopEntries = std::make_shared<const DesktopEntries>();
        X11Workspace workspace(options);
        XInputActivityTap tap(server->displayName());
        ASSERT_TRUE(tap.start([](InputEventKind) {}));
        server.reset(); // the session ends under us
        loop->runUntil([] { return false; }, 0.3);
        EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
        EXPECT_TRUE(workspace.runningApplications().empty());
        tap.stop();
    }
    RunLoop::setMain(nullptr);
}

} // namespace
} // namespace glimmo
