#pragma once

// Standard output sent to a file while the object lives: what the application prints (a prompt of
// megabytes) stays out of a benchmark's own figures.

#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace glimmo::bench {

class StandardOutputToFile {
public:
    explicit StandardOutputToFile(const std::filesystem::path& file) : saved_(::dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(descriptor, STDOUT_FILENO);
        ::close(descriptor);
    }
    ~StandardOutputToFile() {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    StandardOutputToFile(const StandardOutputToFile&) = delete;
    StandardOutputToFile& operator=(const StandardOutputToFile&) = delete;

private:
    int saved_;
};

} // namespace glimmo::bench
