#include "bench/app/ApplicationStart.h"

#include "platform/foundation/Locations.h"
#include "platform/qt/QtApplication.h"
#include "platform/runtime/LargeAllocations.h"
#include "platform/scenes/ApplicationRunner.h"
#include "shell/GlimmoDemoApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glimmo::bench {
namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* applicationFlag = "--child";
constexpr const char* emptyQtFlag = "--empty-qt-child";

// The child's reports, on lines of their own among what the application prints.
constexpr const char* frameReport = "bench-frame ";
constexpr const char* quitReport = "bench-quit ";

// The steady clock is the system's monotonic clock: the same in the child and in the benchmark.
std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch()).count();
}

void report(const char* what) {
    std::printf("\n%s%lld\n", what, static_cast<long long>(nowNanoseconds()));
    std::fflush(stdout);
}

// In the child: at the first paint, once it is done, reports the moment.
class FirstFrameWatcher final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] { report(frameReport); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

// In the child: "quit" on standard input is the Quit command, taken from the main loop as a
// click on the menu would be.
class QuitCommand final : public QObject {
public:
    explicit QuitCommand(std::function<void()> quit) : quit_(std::move(quit)) {
        QObject::connect(&readable_, &QSocketNotifier::activated, this, [this] {
            char buffer[64];
            const ssize_t count = ::read(0, buffer, sizeof buffer);
            if (count <= 0 || std::string(buffer, static_cast<std::size_t>(count)).find("quit") == std::string::npos) return;
            readable_.setEnabled(false);
            report(quitReport);
            quit_();
        });
    }

private:
    std::function<void()> quit_;
    QSocketNotifier readable_{0, QSocketNotifier::Read};
};

// The application with the watch and the command; both go with it, while Qt is still there.
struct QuittingApplication final : GlimmoDemoApp {
    QuittingApplication() { QCoreApplication::instance()->installEventFilter(&watcher); }
    FirstFrameWatcher watcher;
    // What the tray menu's Quit does.
    const QuitCommand quit{[] { QtApplication::quit(0); }};
};

// The independent baseline: a Qt program with one window, which quits on the same command.
int runEmptyQtProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    FirstFrameWatcher watcher;
    application.installEventFilter(&watcher);
    const QuitCommand quit([] { QCoreApplication::exit(0); });
    QWidget window;
    window.resize(480, 360);
    window.show();
    return QApplication::exec();
}

// The benchmark's environment, with `home` as every folder the application looks in and no display,
// bus or API key, then `overrides`.
std::vector<std::string> childEnvironment(const fs::path& home, const std::map<std::string, std::string>& overrides) {
    std::map<std::string, std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
    }
    environment.erase("DISPLAY");
    environment.erase("WAYLAND_DISPLAY");
    environment["QT_QPA_PLATFORM"] = "offscreen";
    environment["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + (home / "no-bus").string();
    environment["HOME"] = home.string();
    environment["XDG_CONFIG_HOME"] = (home / "config").string();
    environment["XDG_DATA_HOME"] = (home / "data").string();
    environment["XDG_CACHE_HOME"] = (home / "cache").string();
    environment["XDG_DOCUMENTS_DIR"] = (home / "Documents").string();
    environment["XDG_RUNTIME_DIR"] = (home / "run").string();
    environment["GEMINI_API_KEY"] = "";
    environment["OPENAI_API_KEY"] = "";
    for (const auto& [name, value] : overrides) environment[name] = value;
    std::vector<std::string> entries;
    for (const auto& [name, value] : environment) entries.push_back(name + "=" + value);
    return entries;
}

} // namespace

// The benchmark program run again as a child: its standard input a pipe from us, its output read on a
// thread of ours (so that what the application prints never blocks it), its errors dropped.
struct QuittingChild::Impl {
    const std::int64_t spawned = nowNanoseconds();
    pid_t pid = -1;
    int input = -1;
    std::optional<int> status;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> lines;
    bool ended = false;
    std::thread reader;

    Impl(const char* flag, const fs::path& home, const std::map<std::string, std::string>& environment) {
        fs::create_directories(home / "run");
        fs::permissions(home / "run", fs::perms::owner_all);
        std::vector<std::string> entries = childEnvironment(home, environment);
        std::vector<char*> envp;
        for (auto& entry : entries) envp.push_back(entry.data());
        envp.push_back(nullptr);

        int output[2];
        int commands[2];
        if (::pipe2(output, O_CLOEXEC) != 0) return;
        if (::pipe2(commands, O_CLOEXEC) != 0) {
            ::close(output[0]);
            ::close(output[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, commands[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::string program = fs::read_symlink("/proc/self/exe").string();
        std::string flagCopy = flag;
        char* argv[] = {program.data(), flagCopy.data(), nullptr};
        const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        ::close(commands[0]);
        input = commands[1];
        if (spawned != 0) {
            pid = -1;
            ::close(output[0]);
            return;
        }
        reader = std::thread([this, from = output[0]] { readLines(from); });
    }

    ~Impl() {
        if (pid > 0 && !status) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (input >= 0) ::close(input);
        if (reader.joinable()) reader.join();
    }

    void readLines(int from) {
        std::string text;
        char buffer[65536];
        for (;;) {
            const ssize_t count = ::read(from, buffer, sizeof buffer);
            if (count <= 0) break;
            text.append(buffer, static_cast<std::size_t>(count));
            std::size_t end = 0;
            std::vector<std::string> complete;
            for (std::size_t newline; (newline = text.find('\n', end)) != std::string::npos; end = newline + 1) {
                // Only the reports are kept: the application prints whole prompts.
                if (text.compare(end, 6, "bench-") == 0) complete.push_back(text.substr(end, newline - end));
            }
            text.erase(0, end);
            const std::lock_guard lock(mutex);
            for (auto& line : complete) lines.push_back(std::move(line));
            changed.notify_all();
        }
        ::close(from);
        const std::lock_guard lock(mutex);
        ended = true;
        changed.notify_all();
    }

    // The moment a report of this kind gives, waiting at most `timeout`.
    std::optional<std::int64_t> reported(const char* what, std::chrono::seconds timeout) {
        std::unique_lock lock(mutex);
        std::optional<std::int64_t> moment;
        const auto found = [&] {
            for (const auto& line : lines) {
                if (line.rfind(what, 0) == 0) moment = std::stoll(line.substr(std::strlen(what)));
            }
            return moment.has_value() || ended;
        };
        changed.wait_for(lock, timeout, found);
        return moment;
    }
};

bool isApplicationStartChild(int argc, char** argv) {
    return argc > 1 && (std::strcmp(argv[1], applicationFlag) == 0 || std::strcmp(argv[1], emptyQtFlag) == 0);
}

int runApplicationStartChild(int argc, char** argv) {
    if (std::strcmp(argv[1], emptyQtFlag) == 0) return runEmptyQtProgram(argc, argv);
    giveLargeAllocationsBackWhenFreed(); // as the application's main does
    return runApplication<QuittingApplication>(argc, argv, GlimmoDemoApp::name);
}

fs::path settingsFolderIn(const fs::path& home) { return home / "config" / bundleIdentifier(); }

std::optional<double> timeOneStart(const fs::path& home) {
    return QuittingChild(QuittingChild::Program::application, home).waitForFirstFrame();
}

bool runUntil(const fs::path& home, const std::function<bool()>& done, double seconds) {
    QuittingChild child(QuittingChild::Program::application, home);
    const auto deadline = SteadyClock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (SteadyClock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    // Quits as the tray menu's Quit does, writing what it still has to.
    return child.quitAndTimeTheExit().has_value();
}

QuittingChild::QuittingChild(Program program, const fs::path& home, const std::map<std::string, std::string>& environment)
    : impl_(std::make_unique<Impl>(program == Program::application ? applicationFlag : emptyQtFlag, home, environment)) {}

QuittingChild::~QuittingChild() = default;

std::optional<double> QuittingChild::waitForFirstFrame() {
    const auto frame = impl_->pid > 0 ? impl_->reported(frameReport, 60s) : std::nullopt;
    return frame ? std::optional(static_cast<double>(*frame - impl_->spawned) / 1e9) : std::nullopt;
}

std::optional<double> QuittingChild::quitAndTimeTheExit(int* exitStatus) {
    if (impl_->pid < 0) return std::nullopt;
    const char command[] = "quit\n";
    if (::write(impl_->input, command, sizeof command - 1) != static_cast<ssize_t>(sizeof command - 1)) return std::nullopt;
    const auto taken = impl_->reported(quitReport, 60s);
    if (!taken) return std::nullopt;
    // The output ends with the process; its end is what the wait sees.
    int status = 0;
    const auto deadline = SteadyClock::now() + 60s;
    while (::waitpid(impl_->pid, &status, WNOHANG) == 0) {
        if (SteadyClock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(200us);
    }
    const std::int64_t ended = nowNanoseconds();
    impl_->status = status;
    if (exitStatus) *exitStatus = status;
    return static_cast<double>(ended - *taken) / 1e9;
}

} // namespace glimmo::bench
