#include "tests/platform/qt/XvfbServer.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glimmo::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool displayInUse(int number) {
    return fs::exists("/tmp/.X" + std::to_string(number) + "-lock") ||
           fs::exists("/tmp/.X11-unix/X" + std::to_string(number));
}

// Reaps the child if it has exited; true when it is gone.
bool exited(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

} // namespace

std::optional<std::string> findXvfb() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / "Xvfb";
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return std::nullopt;
}

XvfbServer::XvfbServer() {
    if (!findXvfb()) {
        problem_ = "Xvfb is not installed (Debian package xvfb); the X11 hosting tests are skipped";
        return;
    }
    // Another test run may take the same free number between our look and Xvfb's start: try a few.
    int attempts = 0;
    for (int number = 90 + static_cast<int>(getpid() % 50); number < 400 && attempts < 5; ++number) {
        if (displayInUse(number)) continue;
        ++attempts;
        if (start(number)) return;
    }
    if (problem_.empty()) problem_ = "no free X display number for Xvfb";
}

XvfbServer::~XvfbServer() { stop(); }

bool XvfbServer::start(int number) {
    const std::string display = ":" + std::to_string(number);
    const std::string xvfb = *findXvfb();
    std::vector<std::string> args = {xvfb, display, "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Xvfb's chatter would clutter the test output.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, xvfb.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        problem_ = "could not start Xvfb";
        return false;
    }

    const fs::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (exited(pid)) {
            problem_ = "Xvfb " + display + " exited at start";
            return false;
        }
        if (fs::exists(socket)) {
            pid_ = pid;
            display_ = display;
            return true;
        }
        std::this_thread::sleep_for(20ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    problem_ = "Xvfb " + display + " did not open its socket within 10 seconds";
    return false;
}

void XvfbServer::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!exited(pid_)) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    pid_ = -1;
}

} // namespace glimmo::testing
