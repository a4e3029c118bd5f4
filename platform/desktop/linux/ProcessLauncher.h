#pragma once

#include <string>
#include <vector>

namespace glimmo {

// Starts a program without a shell (the arguments reach it exactly as given), looked up in PATH,
// and does not wait for it; the child is reaped in the background. False when it could not be
// started (not found, not executable).
bool launchDetached(const std::vector<std::string>& arguments);

// Whether a program of this name is found in PATH (or the path itself, when it has a slash).
bool isProgramAvailable(const std::string& program);

} // namespace glimmo
