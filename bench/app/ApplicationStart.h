#pragma once

// The real application started as a process of its own for a benchmark: the benchmark program runs
// itself again with a child flag, on Qt's offscreen platform, in a home folder the benchmark prepared.
// With no tray offscreen, the main window opens at start in the tray icon's place, so its first painted
// frame is where a start ends. The child reports that frame and runs on until it is told to quit, then
// quits as the tray menu's Quit does, so that the time from the command to the process's end can be
// measured, against the same for an empty Qt program.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace glimmo::bench {

// Whether this process is such a child.
bool isApplicationStartChild(int argc, char** argv);
// In the child: runs the application or the empty Qt program until it is told to quit.
int runApplicationStartChild(int argc, char** argv);

// One start in `home` (its "run" folder made private first), killed once it has painted: the seconds
// from the spawn to the first painted frame, or nullopt when none was painted within 60 s.
std::optional<double> timeOneStart(const std::filesystem::path& home);

// The application started in `home` and left running until `done()` holds (asked every 50 ms), for at
// most `seconds`; then it quits as the tray menu's Quit does. Returns whether `done()` came to hold and
// the application then ended within 60 s (it is killed otherwise).
bool runUntil(const std::filesystem::path& home, const std::function<bool()>& done, double seconds);

// `home`'s folder of the application's settings, as the child will look for it.
std::filesystem::path settingsFolderIn(const std::filesystem::path& home);

// A quitting child, killed when this goes if it still runs. `environment` adds to (or replaces) the
// child's variables, as a Gemini endpoint and key.
class QuittingChild {
public:
    enum class Program { application, emptyQtProgram };
    QuittingChild(Program program, const std::filesystem::path& home,
                  const std::map<std::string, std::string>& environment = {});
    ~QuittingChild();
    QuittingChild(const QuittingChild&) = delete;
    QuittingChild& operator=(const QuittingChild&) = delete;

    // The seconds from the spawn to the first painted frame, or nullopt when none was painted within 60 s.
    std::optional<double> waitForFirstFrame();
    // Sends the Quit command: the seconds from the moment the child took it to the child's end, or
    // nullopt when the child did not take it or did not end within 60 s. `exitStatus` gets the
    // process's wait status.
    std::optional<double> quitAndTimeTheExit(int* exitStatus = nullptr);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo::bench
