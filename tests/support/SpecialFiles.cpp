#include "tests/support/SpecialFiles.h"

#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>

namespace glimmo::testing {

void makeSpecialFile(const std::filesystem::path& path, SpecialFile kind) {
    if (kind == SpecialFile::linkToDevZero) {
        std::filesystem::create_symlink("/dev/zero", path);
    } else if (::mkfifo(path.c_str(), 0600) != 0) {
        throw std::runtime_error("mkfifo failed for " + path.string());
    }
}

const char* describe(SpecialFile kind) { return kind == SpecialFile::fifo ? "FIFO" : "link to /dev/zero"; }

std::filesystem::file_type fileTypeOf(SpecialFile kind) {
    return kind == SpecialFile::fifo ? std::filesystem::file_type::fifo : std::filesystem::file_type::symlink;
}

bool loggedOnlyItsSettingAside(const std::vector<std::string>& lines, const std::filesystem::path& path) {
    const std::string setAside = "Moved unreadable file " + path.string() + " aside to ";
    if (lines.size() == 1 && lines[0].starts_with(setAside) && lines[0].find("non-regular") != std::string::npos) {
        return true;
    }
    for (const std::string& line : lines) std::fprintf(stderr, "logged: %s\n", line.c_str());
    return false;
}

} // namespace glimmo::testing
