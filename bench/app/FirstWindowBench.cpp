// How long the application takes to draw its first window with a large browser history, against
// the same start without one. Each start is a process of its own (this program again, with
// "--child"), on Qt's offscreen platform, in a fresh home folder that holds the History file or not;
// the child reports when its first frame has been painted and ends there.
//
// Prints `ratio first_window_100k_history <with / without>` from medians.

#include "HistoryGenerator.h"
#include "bench/BenchProgram.h"
#include "platform/scenes/ApplicationRunner.h"
#include "shell/GlimmoDemoApp.h"
#include "tests/support/TemporaryDirectory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using glimmo::bench::median;
namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch()).count();
}

// In the child: at the first paint, once it is done, report the moment and leave at once.
class FirstFrameWatcher final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                std::printf("frame %lld\n", static_cast<long long>(nowNanoseconds()));
                std::fflush(stdout);
                ::_exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

int runChild(int argc, char** argv) {
    return glimmo::runApplication(argc, argv, glimmo::GlimmoDemoApp::name, [] {
        QCoreApplication::instance()->installEventFilter(new FirstFrameWatcher);
        return std::make_unique<glimmo::GlimmoDemoApp>();
    });
}

// One start in `home`: the time from the spawn to the first painted frame, or nullopt.
std::optional<double> timeOneStart(const std::string& self, const fs::path& home) {
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
    std::string program = self;
    std::string flag = "--child";
    char* argv[] = {program.data(), flag.data(), nullptr};
    pid_t pid = -1;
    const std::int64_t started = nowNanoseconds();
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, envp.data());
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

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return runChild(argc, argv);
#ifndef NDEBUG
    std::printf("note: built without optimisation (not Release); the figures below overstate every cost\n");
#endif
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    glimmo::testing::TemporaryDirectory withHistory;
    glimmo::testing::TemporaryDirectory withoutHistory;
    for (const auto* home : {&withHistory, &withoutHistory}) {
        fs::create_directories(home->path() / "run");
        fs::permissions(home->path() / "run", fs::perms::owner_all);
    }
    const fs::path history = withHistory.path() / ".config" / "google-chrome" / "Default" / "History";
    fs::create_directories(history.parent_path());
    const double unixNow = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    glimmo::bench::writeHistory(history, 100000, glimmo::Date::fromUnixTime(unixNow));
    std::vector<double> with;
    std::vector<double> without;
    for (int round = 0; round < 15; ++round) {
        const auto a = timeOneStart(self, withHistory.path());
        const auto b = timeOneStart(self, withoutHistory.path());
        if (!a || !b) {
            std::fprintf(stderr, "first_window_bench: a start drew no frame within 60 s\n");
            return 1;
        }
        with.push_back(*a);
        without.push_back(*b);
    }
    const double ours = median(with);
    const double baseline = median(without);
    std::printf("%-52s %9.2f ms   %-40s %9.2f ms\n", "first window, 100k-visit history", ours * 1000,
                "same start without a history", baseline * 1000);
    std::printf("ratio first_window_100k_history %.2f\n", ours / baseline);
    return 0;
}
