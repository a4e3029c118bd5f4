#include "platform/foundation/Locations.h"

#include "platform/foundation/Files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace glimmo {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

// The XDG base directory rules ignore relative paths.
std::optional<fs::path> absoluteEnvironmentPath(const char* name) {
    auto value = environment(name);
    if (!value || value->front() != '/') {
        return std::nullopt;
    }
    return fs::path(*value);
}

struct passwd* passwordEntry() { return getpwuid(getuid()); }

// Reads XDG_DOCUMENTS_DIR="$HOME/..." from user-dirs.dirs; only $HOME-relative and absolute values
// are valid there. A file that cannot be read (a FIFO, say) counts as absent.
std::optional<fs::path> documentsFromUserDirs(const fs::path& home) {
    std::istringstream file(readFileIfReadable(configurationDirectory() / "user-dirs.dirs").value_or(std::string()));
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    std::optional<fs::path> found;
    while (std::getline(file, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(start + key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            const std::string rest = value.substr(5);
            if (rest.empty() || rest == "/") {
                continue; // pointing at home itself means the folder is disabled
            }
            if (rest.front() != '/') {
                continue;
            }
            found = home / rest.substr(1);
        } else if (!value.empty() && value.front() == '/') {
            found = fs::path(value);
        }
    }
    return found;
}

} // namespace

fs::path homeDirectory() {
    if (auto home = environment("HOME")) {
        return fs::path(*home);
    }
    if (const auto* entry = passwordEntry(); entry != nullptr && entry->pw_dir != nullptr) {
        return fs::path(entry->pw_dir);
    }
    return fs::path("/");
}

fs::path configurationDirectory() {
    if (auto configured = absoluteEnvironmentPath("XDG_CONFIG_HOME")) {
        return *configured;
    }
    return homeDirectory() / ".config";
}

fs::path applicationSupportDirectory() {
    if (auto configured = absoluteEnvironmentPath("XDG_DATA_HOME")) {
        return *configured;
    }
    return homeDirectory() / ".local" / "share";
}

fs::path applicationDataDirectory() { return applicationSupportDirectory() / bundleIdentifier(); }

fs::path documentsDirectory() {
    if (auto configured = absoluteEnvironmentPath("XDG_DOCUMENTS_DIR")) {
        return *configured;
    }
    const fs::path home = homeDirectory();
    if (auto fromUserDirs = documentsFromUserDirs(home)) {
        return *fromUserDirs;
    }
    return home / "Documents";
}

std::string loginName() {
    if (const auto* entry = passwordEntry(); entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    if (auto user = environment("USER")) {
        return *user;
    }
    return std::to_string(::getuid());
}

std::string bundleIdentifier() { return "com.glimmodemo.GlimmoDemo"; }

} // namespace glimmo
