#include "tests/support/SpecialFiles.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>
#include <utility>
#include <stdexcept>

namespace glimmo::testing {

namespace {

// A socket bound at `path`; the file stays after the socket is closed.
void bindSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long: " + path.string());
    path.native().copy(address.sun_path, sizeof address.sun_path - 1);
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = descriptor >= 0 && ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (descriptor >= 0) ::close(descriptor);
    if (!bound) throw std::runtime_error("cannot bind a socket at " + path.string());
}

// Each kind's description and file type, in the order of SpecialFile.
constexpr std::pair<const char*, std::filesystem::file_type> kinds[] = {
    {"FIFO", std::filesystem::file_type::fifo},
    {"link to /dev/zero", std::filesystem::file_type::symlink},
    {"socket", std::filesystem::file_type::socket},
};
static_assert(std::size(kinds) == std::size(specialFiles));

} // namespace

void makeSpecialFile(const std::filesystem::path& path, SpecialFile kind) {
    switch (kind) {
    case SpecialFile::linkToDevZero: std::filesystem::create_symlink("/dev/zero", path); return;
    case SpecialFile::socket: bindSocket(path); return;
    case SpecialFile::fifo:
        if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed for " + path.string());
        return;
    }
}

const char* describe(SpecialFile kind) { return kinds[static_cast<int>(kind)].first; }

std::filesystem::file_type fileTypeOf(SpecialFile kind) { return kinds[static_cast<int>(kind)].second; }

bool loggedOnlyItsSettingAside(const std::vector<std::string>& lines, const std::filesystem::path& path) {
    const std::string setAside = "Moved unreadable file " + path.string() + " aside to ";
    if (lines.size() == 1 && lines[0].starts_with(setAside) && lines[0].find("non-regular") != std::string::npos) {
        return true;
    }
    for (const std::string& line : lines) std::fprintf(stderr, "logged: %s\n", line.c_str());
    return false;
}

} // namespace glimmo::testing
