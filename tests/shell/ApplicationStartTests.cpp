// The real GlimmoDemo binary under an X server and a session bus of the test's own: it comes up, shows
// its tray item or (with no tray, as under Xvfb) its window, and quits cleanly on a signal.

#include "DesktopSession.h"
#include "platform/desktop/DisplayLoss.h"
#include "platform/foundation/InstanceLock.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

// After the test framework, whose names X11's macros (None, Bool) would clash with.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glimmo::testing {
namespace {

using namespace std::chrono_literals;

// The application process; a test that fails half-way still kills it. Without `output` it starts with
// standard input, output and error closed.
class ApplicationProcess {
public:
    ApplicationProcess(const std::string& program, const std::map<std::string, std::string>& overrides,
                       const std::optional<std::filesystem::path>& output) {
        std::map<std::string, std::string> environment;
        for (char** entry = environ; *entry; ++entry) {
            const std::string text(*entry);
            const auto equals = text.find('=');
            if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
        }
        for (const auto& [name, value] : overrides) environment[name] = value;
        std::vector<std::string> entries;
        for (const auto& [name, value] : environment) entries.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (auto& entry : entries) envp.push_back(entry.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (output) {
            posix_spawn_file_actions_addopen(&actions, 1, output->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        } else {
            for (const int stream : {0, 1, 2}) posix_spawn_file_actions_addclose(&actions, stream);
        }
        std::string programCopy = program;
        char* argv[] = {programCopy.data(), nullptr};
        const int error = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
    }

    ~ApplicationProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    pid_t pid() const { return pid_; }

    // The wait status once the process has ended, waiting at most `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!status_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = status;
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(50ms);
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Whether a top-level window (or a child of one, as window managers reparent) has this name.
bool hasWindowNamed(Display* display, Window window, const std::string& name, int depth = 0) {
    char* windowName = nullptr;
    if (XFetchName(display, window, &windowName) && windowName) {
        const bool match = name == windowName;
        XFree(windowName);
        if (match) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) return true;
        }
    }
    if (depth > 2) return false;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) found = hasWindowNamed(display, children[i], name, depth + 1);
    if (children) XFree(children);
    return found;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A desktop session of the test's own with a fresh home and no AI keys: nothing of the user's is read
// or sent.
std::map<std::string, std::string> sessionEnvironment(const std::string& display, const std::string& busAddress,
                                                      const std::filesystem::path& home, const std::string& qtPlatform) {
    return {{"DISPLAY", display},
            {"DBUS_SESSION_BUS_ADDRESS", busAddress},
            {"QT_QPA_PLATFORM", qtPlatform},
            {"HOME", home.string()},
            {"XDG_CONFIG_HOME", (home / "config").string()},
            {"XDG_DATA_HOME", (home / "data").string()},
            {"XDG_CACHE_HOME", (home / "cache").string()},
            {"XDG_DOCUMENTS_DIR", (home / "Documents").string()},
            {"XDG_RUNTIME_DIR", home.string()},
            {"GEMINI_API_KEY", ""},
            {"OPENAI_API_KEY", ""}};
}
std::map<std::string, std::string> sessionEnvironment(const XvfbServer& xvfb, const SessionBus& bus,
                                                      const std::filesystem::path& home, const std::string& qtPlatform) {
    return sessionEnvironment(xvfb.displayName(), bus.address(), home, qtPlatform);
}

// An X server and a session bus of the test's own; the bus is null, with the reason in `why`, when
// either cannot start.
std::pair<std::unique_ptr<XvfbServer>, std::unique_ptr<SessionBus>> startSession(std::string& why) {
    auto xvfb = XvfbServer::start(why);
    auto bus = xvfb ? SessionBus::start(xvfb->displayName(), why) : nullptr;
    return {std::move(xvfb), std::move(bus)};
}

TEST(ApplicationStart, WithoutADisplaySaysWhatItNeedsInOneLineAndFails) {
    TemporaryDirectory home;
    const auto output = home.path() / "output.txt";
    ApplicationProcess app(GLIMMO_DEMO_BINARY, {{"DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}, {"HOME", home.path().string()}},
                           output);
    const auto status = app.waitForExit(60s);
    ASSERT_TRUE(status.has_value()) << "still running without a display";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0);
    EXPECT_NE(WEXITSTATUS(*status), 0);
    EXPECT_EQ(readFile(output),
              "GlimmoDemo needs an X11 session: no X display could be opened (is DISPLAY set?); capturing the "
              "frontmost window also needs a window manager.\n");
}

TEST(ApplicationStart, ComesUpShowsItsWindowWithoutATrayAndQuitsOnSIGTERM) {
    std::string why;
    auto [xvfb, bus] = startSession(why);
    if (!bus) GTEST_SKIP() << why;

    TemporaryDirectory home;
    const auto output = home.path() / "output.txt";
    ApplicationProcess app(GLIMMO_DEMO_BINARY, sessionEnvironment(*xvfb, *bus, home.path(), "xcb"), output);

    Display* display = XOpenDisplay(xvfb->displayName().c_str());
    ASSERT_NE(display, nullptr);
    bool shown = false;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!shown && std::chrono::steady_clock::now() < deadline) {
        shown = hasWindowNamed(display, DefaultRootWindow(display), "GlimmoDemo");
        if (!shown) {
            ASSERT_FALSE(app.waitForExit(0ms).has_value()) << "the application ended early:\n" << readFile(output);
            std::this_thread::sleep_for(100ms);
        }
    }
    XCloseDisplay(display);
    ASSERT_TRUE(shown) << "no GlimmoDemo window within 60 s:\n" << readFile(output);

    // Give the launch step a moment to pass through the loop, then ask it to stop.
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    const auto status = app.waitForExit(30s);
    ASSERT_TRUE(status.has_value()) << "still running 30 s after SIGTERM:\n" << readFile(output);
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0);
    EXPECT_EQ(WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, 0);

    const std::string log = readFile(output);
    EXPECT_NE(log.find("⭐️ GlimmoDemo started at "), std::string::npos) << log;
    EXPECT_NE(log.find("⚠️ No system tray: GlimmoDemo opens its window as a normal window"), std::string::npos) << log;
    // The window is the tray item's: opening it is the first opening.
    EXPECT_NE(log.find("📱 MenuBar clicked at "), std::string::npos) << log;
}

// A socket on the abstract address of display `number` (where Xlib and XCB look first), bound or
// connected by `use`; -1 when that fails.
int displaySocket(int number, int (*use)(int, const sockaddr*, socklen_t)) {
    sockaddr_un address{.sun_family = AF_UNIX};
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    std::memcpy(address.sun_path + 1, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (use(fd, reinterpret_cast<const sockaddr*>(&address), offsetof(sockaddr_un, sun_path) + 1 + path.size()) == 0) {
        return fd;
    }
    ::close(fd);
    return -1;
}

// Moves what is waiting on `from` to `to`; false once either has closed.
bool relay(int from, int to) {
    char bytes[65536];
    const ssize_t got = ::read(from, bytes, sizeof bytes);
    for (ssize_t sent = 0, put = 0; got > 0 && sent < got; sent += put) {
        if ((put = ::send(to, bytes + sent, static_cast<std::size_t>(got - sent), MSG_NOSIGNAL)) <= 0) return false;
    }
    return got > 0;
}

// A display of the test's own in front of an X server: it relays the connections it lets in and closes
// those its rule refuses once they have asked (closed before, a client would end with SIGPIPE). Passes
// no descriptors on.
class ForwardingDisplay {
public:
    enum class Rule {
        // Every connection after the first: the start's check is let in, not the window toolkit.
        refuseAfterTheFirst,
        // A connection that comes when every earlier one has closed: a server that resets as its last
        // client leaves (Xvfb without -noreset) turns away whoever connects meanwhile.
        refuseWhileResetting,
    };

    ForwardingDisplay(const std::string& serverDisplay, Rule rule)
        : server_(std::stoi(serverDisplay.substr(1))), rule_(rule) {
        int number = 700;
        while (number < 1000 && (listening_ = displaySocket(number, ::bind)) < 0) ++number;
        if (listening_ < 0 || ::listen(listening_, 16) != 0) throw std::runtime_error("no display number to forward");
        name_ = ":" + std::to_string(number);
        thread_ = std::thread([this] { serve(); });
    }
    ~ForwardingDisplay() {
        stopping_ = true;
        thread_.join();
        for (const auto& [client, server] : relayed_) {
            ::close(client);
            ::close(server);
        }
        ::close(listening_);
    }

    const std::string& displayName() const { return name_; }

private:
    void serve() {
        bool hadClient = false;
        while (!stopping_) {
            std::vector<pollfd> watched{{listening_, POLLIN, 0}};
            for (const auto& [client, server] : relayed_) {
                watched.push_back({client, POLLIN, 0});
                watched.push_back({server, POLLIN, 0});
            }
            if (::poll(watched.data(), watched.size(), 100) <= 0) continue;
            // Relayed first: a connection's end is seen before the next connection is judged.
            std::vector<std::pair<int, int>> open;
            for (std::size_t i = 0; i < relayed_.size(); ++i) {
                const auto [client, server] = relayed_[i];
                if ((watched[1 + 2 * i].revents && !relay(client, server)) ||
                    (watched[2 + 2 * i].revents && !relay(server, client))) {
                    ::close(client);
                    ::close(server);
                } else {
                    open.emplace_back(client, server);
                }
            }
            relayed_ = std::move(open);
            const int client = watched[0].revents ? ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            const bool refused = hadClient && (rule_ == Rule::refuseAfterTheFirst || relayed_.empty());
            if (client >= 0 && !refused) {
                hadClient = true;
                relayed_.emplace_back(client, displaySocket(server_, ::connect));
            } else if (client >= 0) {
                char request[512];
                static_cast<void>(::recv(client, request, sizeof request, 0));
                ::close(client);
            }
        }
    }

    const int server_;
    const Rule rule_;
    int listening_ = -1;
    std::string name_;
    std::vector<std::pair<int, int>> relayed_; // client, server
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Whether the application says it started before it ends or a minute passes.
bool started(ApplicationProcess& app, const std::filesystem::path& output) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (readFile(output).find("⭐️ GlimmoDemo started at ") == std::string::npos) {
        if (app.waitForExit(0ms) || std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// The application on a display of the test's own in front of an X server, with no session bus (whose
// services would connect too): the start's check and the window toolkit each open a connection.
struct ForwardedStart {
    explicit ForwardedStart(ForwardingDisplay::Rule rule) {
        if (!xvfb) return;
        display.emplace(xvfb->displayName(), rule);
        app.emplace(GLIMMO_DEMO_BINARY,
                    sessionEnvironment(display->displayName(), "unix:path=" + (home.path() / "no-bus").string(), home.path(), "xcb"),
                    output);
    }
    std::string why;
    const std::unique_ptr<XvfbServer> xvfb = XvfbServer::start(why);
    std::optional<ForwardingDisplay> display;
    TemporaryDirectory home;
    const std::filesystem::path output = home.path() / "output.txt";
    std::optional<ApplicationProcess> app;
};

// The start holds its check's connection until the window toolkit has its own, so that no client leaving
// then (the check's, or a finished session's accessibility bus launcher) resets the server under it.
TEST(ApplicationStart, AServerThatResetsWhenItsLastClientLeavesDoesNotResetBetweenTheCheckAndTheToolkit) {
    ForwardedStart start(ForwardingDisplay::Rule::refuseWhileResetting);
    if (!start.app) GTEST_SKIP() << start.why;
    EXPECT_TRUE(started(*start.app, start.output)) << readFile(start.output);
}

// A display that lets the check in but refuses the toolkit: the start says so and ends with status 1, as
// without a display, not with Qt's abort and its line that blames the installation.
TEST(ApplicationStart, ADisplayThatRefusesTheToolkitAfterTheCheckEndsTheStartWithItsStatusAndAReason) {
    ForwardedStart start(ForwardingDisplay::Rule::refuseAfterTheFirst);
    if (!start.app) GTEST_SKIP() << start.why;
    const auto status = start.app->waitForExit(60s);
    const std::string said = readFile(start.output);
    ASSERT_TRUE(status && WIFEXITED(*status)) << said;
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    EXPECT_NE(said.find("GlimmoDemo cannot start: the window toolkit could not start on the X display \"" +
                        start.display->displayName() + "\"\n"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("Reinstalling"), std::string::npos) << said;
}

// A second start that would write in any folder the running one writes in ends, whichever variables
// differ between the two.
TEST(ApplicationStart, ASecondStartSharingAnyStoreLeavesTheFirstAloneAndAKilledOwnerDoesNotBlockTheNext) {
    std::string why;
    auto [xvfb, bus] = startSession(why);
    if (!bus) GTEST_SKIP() << why;
    TemporaryDirectory home;
    TemporaryDirectory otherHome;
    const auto environment = sessionEnvironment(*xvfb, *bus, home.path(), "offscreen");
    const auto output = [&](const char* name) { return home.path() / name; };
    const auto elsewhere = [&](const char* name) { return (otherHome.path() / name).string(); };
    const std::string ownFolder = "com.glimmodemo.GlimmoDemo";
    // The other settings file is a link into the first one's settings folder, as a dotfiles folder makes.
    std::filesystem::create_directories(otherHome.path() / "linked" / ownFolder);
    std::filesystem::create_symlink(home.path() / "config" / ownFolder / "defaults.json",
                                    otherHome.path() / "linked" / ownFolder / "defaults.json");

    ApplicationProcess first(GLIMMO_DEMO_BINARY, environment, output("first.txt"));
    ASSERT_TRUE(started(first, output("first.txt"))) << readFile(output("first.txt"));
    const std::string data = "data folder " + (home.path() / "data" / ownFolder).string();
    const std::string records = "records folder " + (home.path() / "Documents").string();
    const std::string settings = "settings folder " + (home.path() / "config" / ownFolder).string();
    const std::string images = "image cache folder " + (home.path() / "cache" / ownFolder / "RemoteImage").string();
    // The variables a second start changes, and the folders its line may name.
    const std::vector<std::pair<std::map<std::string, std::string>, std::vector<std::string>>> seconds{
        {{}, {data, records, settings, images}},
        {{{"XDG_DATA_HOME", elsewhere("data")}, {"XDG_CONFIG_HOME", elsewhere("config")}, {"XDG_CACHE_HOME", elsewhere("cache")}},
         {records}},
        {{{"XDG_CONFIG_HOME", elsewhere("config")}, {"XDG_DOCUMENTS_DIR", elsewhere("Documents")}, {"XDG_CACHE_HOME", elsewhere("cache")}},
         {data}},
        {{{"XDG_DATA_HOME", elsewhere("data")}, {"XDG_CONFIG_HOME", elsewhere("linked")}, {"XDG_DOCUMENTS_DIR", elsewhere("Documents")},
          {"XDG_CACHE_HOME", elsewhere("cache")}},
         {settings}},
        {{{"XDG_DATA_HOME", elsewhere("data")}, {"XDG_CONFIG_HOME", elsewhere("config")}, {"XDG_DOCUMENTS_DIR", elsewhere("Documents")}},
         {images}},
    };
    for (const auto& [changes, shared] : seconds) {
        auto changed = environment;
        for (const auto& [name, value] : changes) changed[name] = value;
        ApplicationProcess second(GLIMMO_DEMO_BINARY, changed, output("second.txt"));
        const auto status = second.waitForExit(30s);
        const std::string said = readFile(output("second.txt"));
        ASSERT_TRUE(status.has_value()) << "a second instance runs beside the first, sharing its " << shared.back() << ":\n" << said;
        EXPECT_EQ(WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, anotherInstanceExitStatus) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_TRUE(std::any_of(shared.begin(), shared.end(), [&](const std::string& folder) {
            return said.find("⚠️ GlimmoDemo is already running with the " + folder + "; this start ends and leaves it alone\n") !=
                   std::string::npos;
        })) << said;
    }
    EXPECT_FALSE(first.waitForExit(0ms).has_value()) << readFile(output("first.txt"));

    ASSERT_EQ(::kill(first.pid(), SIGKILL), 0);
    ASSERT_TRUE(first.waitForExit(30s).has_value());
    ApplicationProcess third(GLIMMO_DEMO_BINARY, environment, output("third.txt"));
    EXPECT_TRUE(started(third, output("third.txt"))) << readFile(output("third.txt"));
}

// Started with its standard streams closed, the application opens /dev/null in their place, so no
// file of its own (an X connection, a lock, a store) takes their numbers and gets what is logged.
TEST(ApplicationStart, WithItsStandardStreamsClosedNoFileOfItsOwnTakesTheirPlace) {
    std::string why;
    auto [xvfb, bus] = startSession(why);
    if (!bus) GTEST_SKIP() << why;
    TemporaryDirectory home;
    ApplicationProcess app(GLIMMO_DEMO_BINARY, sessionEnvironment(*xvfb, *bus, home.path(), "offscreen"), std::nullopt);
    // What the number names in the application; empty while it is closed.
    const auto opened = [&](int stream) {
        std::error_code error;
        return std::filesystem::read_symlink("/proc/" + std::to_string(app.pid()) + "/fd/" + std::to_string(stream), error);
    };
    // The three are taken together only by what holds them: /dev/null at once, or the folders it locks.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while ((opened(0).empty() || opened(1).empty() || opened(2).empty()) && !app.waitForExit(0ms) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    for (const int stream : {0, 1, 2}) EXPECT_EQ(opened(stream), "/dev/null") << "descriptor " << stream;
}

// Plays the window manager: one client window of the test's own process, made the active one.
void makeActiveWindow(Display* display, const char* className) {
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    XClassHint hint{const_cast<char*>(className), const_cast<char*>(className)};
    XSetClassHint(display, window, &hint);
    const long pid = ::getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    const long active = static_cast<long>(window);
    XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&active), 1);
    XSync(display, False);
}

// The application under a session of the test's own, with a window of the test's in front, once it
// has started monitoring: from then on it credits time to that window's record.
class MonitoringApplication : public ::testing::Test {
protected:
    void start(const std::string& qtPlatform) {
        std::string why;
        std::tie(xvfb_, bus_) = startSession(why);
        if (!bus_) GTEST_SKIP() << why;
        Display* display = XOpenDisplay(xvfb_->displayName().c_str());
        ASSERT_NE(display, nullptr);
        makeActiveWindow(display, "GlimmoProbe");

        const auto deadline = std::chrono::steady_clock::now() + 60s;
        app_.emplace(GLIMMO_DEMO_BINARY, sessionEnvironment(*xvfb_, *bus_, home_.path(), qtPlatform), output());
        while (log().find("Already have accessibility permissions") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            ASSERT_FALSE(app_->waitForExit(0ms).has_value()) << "the application ended early:\n" << log();
            if (log().find("Monitoring not started") != std::string::npos) {
                GTEST_SKIP() << "no accessibility bus here: nothing is monitored";
            }
            std::this_thread::sleep_for(100ms);
        }
        XCloseDisplay(display);
        // Less than one 5 s tick: only the end of the application can credit this stretch.
        std::this_thread::sleep_for(2s);
    }

    std::filesystem::path output() const { return home_.path() / "output.txt"; }
    std::string log() const { return readFile(output()); }

    void expectTheStretchCredited() const {
        const auto recordFile = home_.path() / "Documents" / "activityRecords_durazevirez3.json";
        const auto records = nlohmann::json::parse(readFile(recordFile), nullptr, false);
        ASSERT_TRUE(records.is_array() && !records.empty()) << readFile(recordFile) << log();
        EXPECT_EQ(records[0].value("appName", ""), "GlimmoProbe");
        EXPECT_GE(records[0].value("duration", 0.0), 2.0) << log();
    }

    std::unique_ptr<XvfbServer> xvfb_;
    std::unique_ptr<SessionBus> bus_;
    TemporaryDirectory home_;
    std::optional<ApplicationProcess> app_;
};

TEST_F(MonitoringApplication, SIGTERMWritesTheTimeOfTheCurrentStretch) {
    start("offscreen");
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(::kill(app_->pid(), SIGTERM), 0);
    ASSERT_TRUE(app_->waitForExit(30s).has_value()) << log();
    expectTheStretchCredited();
}

// The session ends under the application (a logout, a crashed X server): Qt's connection and ours
// break at once, on several threads.
TEST_F(MonitoringApplication, LosingTheDisplayWritesTheCurrentStretchAndExitsWithItsStatus) {
    start("xcb");
    if (IsSkipped() || HasFatalFailure()) return;
    xvfb_.reset();
    const auto status = app_->waitForExit(10s);
    ASSERT_TRUE(status.has_value()) << "still running 10 s after the X server went away:\n" << log();
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0) << ":\n"
                                    << log();
    EXPECT_EQ(WEXITSTATUS(*status), displayLostExitStatus) << log();
    for (const char* crash : {"free()", "Sanitizer", "terminate called"}) {
        EXPECT_EQ(log().find(crash), std::string::npos) << log();
    }
    expectTheStretchCredited();
}

} // namespace
} // namespace glimmo::testing
