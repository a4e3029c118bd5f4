#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What a command costs as a whole process, from its start to its exit.
struct ProcessTimes {
    double cpuSeconds = 0; // user and system time of the process, as the kernel accounts it
    double wallSeconds = 0;
};

// Runs `arguments` (the program is looked up in PATH unless its name holds a slash) with no
// standard input and its standard output written to `output`. Throws std::runtime_error when it
// cannot start or does not exit with status 0.
ProcessTimes runWholeProcess(const std::vector<std::string>& arguments,
                             const std::filesystem::path& output = "/dev/null");
