#include "bench/app/ApplicationStart.h"

#include "platform/foundation/Locations.h"
#include "platform/runtime/LargeAllocations.h"
#include "platform/scenes/ApplicationRunner.h"
#include "shell/GlimmoDemoApp.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <thread>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glimmo::bench {
namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr const char* childFlag = "--child";
constexpr const char* stayFlag = "--stay";

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch()).count();
}

// In the child: at the first paint, once it is done, report the moment and leave at once (unless it
// is to stay until it is ended).
class FirstFrameWatcher final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_ && !stays) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                std::printf("frame %lld\n", static_cast<long long>(nowNanoseconds()));
                std::fflush(stdout);
                ::_exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

    bool stays = false;

private:
    bool seen_ = false;
};

// The benchmark's environment, with `home` as every folder the application looks in and no display,
// bus or API key.
std::vector<std::string> childEnvironment(const fs::path& home) {
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
    std::vector<std::string> entries;
    for (const auto& [name, value] : environment) entries.push_back(name + "=" + value);
    return entries;
}

} // namespace

bool isApplicationStartChild(int argc, char** argv) { return argc > 1 && std::strcmp(argv[1], childFlag) == 0; }

int runApplicationStartChild(int argc, char** argv) {
    giveLargeAllocationsBackWhenFreed(); // as the application's main does
    const bool stays = argc > 2 && std::strcmp(argv[2], stayFlag) == 0;
    return runApplication(argc, argv, GlimmoDemoApp::name, [stays] {
        static FirstFrameWatcher watcher;
        watcher.stays = stays;
        QCoreApplication::instance()->installEventFilter(&watcher);
        return std::make_unique<GlimmoDemoApp>();
    });
}

fs::path settingsFolderIn(const fs::path& home) { return home / "config" / bundleIdentifier(); }

bool runUntil(const fs::path& home, const std::function<bool()>& done, double seconds) {
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    std::vector<std::string> entries = childEnvironment(home);
    std::vector<char*> envp;
    for (auto& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = fs::read_symlink("/proc/self/exe").string();
    std::string flag = childFlag;
    std::string stay = stayFlag;
    char* argv[] = {program.data(), flag.data(), stay.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool reached = false;
    while (!(reached = done()) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Quits as on SIGTERM, writing what it still has to.
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return reached;
}

std::optional<double> timeOneStart(const fs::path& home) {
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    std::vector<std::string> entries = childEnvironment(home);
    std::vector<char*> envp;
    for (auto& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);

    int output[2];
    if (::pipe(output) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    std::string program = fs::read_symlink("/proc/self/exe").string();
    std::string flag = childFlag;
    char* argv[] = {program.data(), flag.data(), nullptr};
    pid_t pid = -1;
    const std::int64_t started = nowNanoseconds();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    if (spawned != 0) {
        ::close(output[0]);
        return std::nullopt;
    }
    // The application prints its own lines too; the report is the line that starts with "frame ".
    std::string text;
    char buffer[4096];
    pollfd readable{output[0], POLLIN, 0};
    const auto reported = [&text] {
        const auto at = text.rfind("\nframe ");
        return (text.rfind("frame ", 0) == 0 || at != std::string::npos) && text.back() == '\n';
    };
    while (!(!text.empty() && reported()) && ::poll(&readable, 1, 60000) > 0) {
        const ssize_t count = ::read(output[0], buffer, sizeof buffer);
        if (count <= 0) break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(output[0]);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const auto line = text.rfind("frame ");
    long long frame = 0;
    if (line == std::string::npos || std::sscanf(text.c_str() + line, "frame %lld", &frame) != 1) return std::nullopt;
    return static_cast<double>(frame - started) / 1e9;
}

} // namespace glimmo::bench
