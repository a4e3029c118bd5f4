#pragma once

#include <filesystem>

namespace glimmo::testing {

// A fresh, empty directory (mode 0700) under the system's temporary folder, removed with
// everything in it when this object goes away.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace glimmo::testing
