#pragma once

#include <string>
#include <vector>

namespace glimmo {

// Starts a program without a shell (the arguments reach it exactly as given), looked up in PATH,
// and does not wait for it; the child is reaped in the background. Throws std::system_error when it
// could not be started, with the system's reason: ENOENT when no such program is found, E2BIG when an
// argument is longer than the system lets a program be given (128 KiB on Linux), ...
void launchDetached(const std::vector<std::string>& arguments);

// Whether a program of this name is found in PATH (or the path itself, when it has a slash).
bool isProgramAvailable(const std::string& program);

} // namespace glimmo
