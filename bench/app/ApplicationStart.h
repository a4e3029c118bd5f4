#pragma once

// The real application started as a process of its own for a benchmark: the benchmark program runs
// itself again with "--child", on Qt's offscreen platform, in a home folder the benchmark prepared,
// and the child reports when the application's first frame has been painted and ends there. With no
// tray offscreen, the main window opens at start in the tray icon's place, so that frame is where a
// start ends.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace glimmo::bench {

// Whether this process is such a child.
bool isApplicationStartChild(int argc, char** argv);
// In the child: runs the application until its first frame is painted.
int runApplicationStartChild(int argc, char** argv);

// One start in `home` (its "run" folder made private first): the seconds from the spawn to the first
// painted frame, or nullopt when none was painted within 60 s.
std::optional<double> timeOneStart(const std::filesystem::path& home);

// The application started in `home` and left running until `done()` holds (asked every 50 ms), for at
// most `seconds`; then it quits as on SIGTERM. Returns whether `done()` came to hold.
bool runUntil(const std::filesystem::path& home, const std::function<bool()>& done, double seconds);

// `home`'s folder of the application's settings, as the child will look for it.
std::filesystem::path settingsFolderIn(const std::filesystem::path& home);

} // namespace glimmo::bench
