#include "platform/desktop/linux/DesktopEntries.h"

#include "platform/foundation/AsciiCase.h"
#include "platform/foundation/Files.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string_view>

namespace glimmo {
namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) { return !a.empty() && asciiLowercased(a) == asciiLowercased(b); }

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// Exec's first word without quotes, field codes or a path; "env VAR=x prog" gives prog.
std::string executableOf(const std::string& exec) {
    std::istringstream words(exec);
    std::string word;
    while (words >> word) {
        if (!word.empty() && (word.front() == '"' || word.front() == '\'')) word.erase(0, 1);
        if (!word.empty() && (word.back() == '"' || word.back() == '\'')) word.pop_back();
        const auto base = std::filesystem::path(word).filename().string();
        if (base == "env" || word.find('=') != std::string::npos) continue;
        return base;
    }
    return {};
}

// Programs that run other programs: their name says nothing about which application a window is.
bool isGenericLauncher(const std::string& executable) {
    static const std::set<std::string> exact{"sh", "bash", "dash", "zsh", "ksh", "flatpak", "snap", "gjs", "lua", "php"};
    static const std::array<std::string_view, 8> prefixes{"python", "perl", "ruby", "java", "node", "electron", "wine", "mono"};
    if (exact.contains(executable)) return true;
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view prefix) { return executable.rfind(prefix, 0) == 0; });
}

} // namespace

std::optional<DesktopEntry> DesktopEntries::parse(const std::string& id, const std::string& text,
                                                  const std::string& language) {
    DesktopEntry entry;
    entry.id = id;
    std::string type;
    std::string exec;
    std::string localizedName;
    std::string languageOnly = language.substr(0, language.find('_'));
    bool inMainGroup = false;
    bool hidden = false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = trim(line.substr(0, equals));
        const std::string value = trim(line.substr(equals + 1));
        if (key == "Type") type = value;
        else if (key == "Name") entry.name = value;
        else if (!language.empty() && key == "Name[" + language + "]") localizedName = value;
        else if (!languageOnly.empty() && key == "Name[" + languageOnly + "]" && localizedName.empty()) localizedName = value;
        else if (key == "StartupWMClass") entry.startupWMClass = value;
        else if (key == "Exec") exec = value;
        else if (key == "Hidden") hidden = value == "true";
    }
    if (type != "Application" || hidden || entry.name.empty()) return std::nullopt;
    if (!localizedName.empty()) entry.name = localizedName;
    entry.executable = executableOf(exec);
    return entry;
}

std::string DesktopEntries::languageFromEnvironment() {
    std::string locale = envOr("LC_ALL", envOr("LC_MESSAGES", envOr("LANG", "")));
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "C" || locale == "POSIX") return {};
    return locale;
}

DesktopEntries DesktopEntries::load(const std::string& language) {
    const std::string home = envOr("HOME", "");
    std::vector<std::filesystem::path> folders;
    folders.emplace_back(std::filesystem::path(envOr("XDG_DATA_HOME", home + "/.local/share")) / "applications");
    std::istringstream dirs(envOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"));
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty()) folders.emplace_back(std::filesystem::path(dir) / "applications");
    }
    return loadFrom(folders, language);
}

DesktopEntries DesktopEntries::loadFrom(const std::vector<std::filesystem::path>& folders, const std::string& language) {
    DesktopEntries result;
    std::set<std::string> seen;
    for (const auto& folder : folders) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            if (it->path().extension() == ".desktop") files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            // Entries in subfolders have ids with "-" for "/", as freedesktop menus name them.
            std::string id = std::filesystem::relative(file, folder, error).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (seen.count(id) != 0) continue;
            // A FIFO or device named like an entry: as if it were not there.
            const std::optional<std::string> text = readFileIfReadable(file);
            if (!text) continue;
            seen.insert(id);
            if (auto entry = parse(id, *text, language)) result.entries_.push_back(std::move(*entry));
        }
    }
    return result;
}

std::optional<DesktopEntry> DesktopEntries::match(const std::string& wmInstance, const std::string& wmClass,
                                                  const std::string& executable) const {
    for (const auto& entry : entries_) {
        if (equalsIgnoringCase(entry.startupWMClass, wmClass)) return entry;
    }
    for (const auto& entry : entries_) {
        if (equalsIgnoringCase(entry.id, wmClass) || equalsIgnoringCase(entry.id, wmInstance)) return entry;
    }
    if (executable.empty() || isGenericLauncher(executable)) return std::nullopt;
    const DesktopEntry* started = nullptr;
    for (const auto& entry : entries_) {
        if (entry.executable != executable) continue;
        if (started) return std::nullopt; // several applications share it
        started = &entry;
    }
    if (started) return *started;
    return std::nullopt;
}

} // namespace glimmo
