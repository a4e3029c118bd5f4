#include "Settings/resource_bundle_accessor.h"

#include "platform/foundation/Files.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace settings {

namespace fs = std::filesystem;

namespace {

std::string userLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            std::string language(value);
            language = language.substr(0, language.find_first_of("_.@"));
            if (language != "C" && language != "POSIX") return language;
        }
    }
    return "en";
}

// A table that is missing or cannot be read leaves its keys untranslated.
std::map<std::string, std::string> readTable(const fs::path& file) {
    return parseStringsTable(glimmo::readFileIfReadable(file).value_or(""));
}

// Reads a quoted string at `i`, with \" and \\ escapes; advances past it.
std::optional<std::string> quoted(const std::string& s, std::size_t& i) {
    if (i >= s.size() || s[i] != '"') return std::nullopt;
    std::string out;
    for (++i; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char c = s[++i];
            out += c == 'n' ? '\n' : c;
        } else if (s[i] == '"') {
            ++i;
            return out;
        } else {
            out += s[i];
        }
    }
    return std::nullopt;
}

} // namespace

std::map<std::string, std::string> parseStringsTable(const std::string& text) {
    std::map<std::string, std::string> table;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line.compare(i, 2, "//") == 0) continue;
        auto key = quoted(line, i);
        if (!key) continue;
        i = line.find('=', i);
        if (i == std::string::npos) continue;
        i = line.find('"', i);
        if (i == std::string::npos) continue;
        if (auto value = quoted(line, i)) table[*key] = *value;
    }
    return table;
}

ResourceBundle::ResourceBundle(fs::path folder) : folder_(std::move(folder)) {
    strings_ = readTable(folder_ / "en.lproj" / "Localizable.strings");
    const std::string language = userLanguage();
    if (language != "en") {
        for (auto& [key, value] : readTable(folder_ / (language + ".lproj") / "Localizable.strings")) {
            strings_[key] = value;
        }
    }
}

std::optional<ResourceBundle> ResourceBundle::open(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return std::nullopt;
    return ResourceBundle(folder);
}

std::string ResourceBundle::localizedString(const std::string& key) const {
    auto it = strings_.find(key);
    return it == strings_.end() ? key : it->second;
}

std::optional<ResourceBundle> findResourceBundle(const std::vector<std::optional<fs::path>>& candidates) {
    for (const auto& candidate : candidates) {
        if (!candidate) continue;
        if (auto bundle = ResourceBundle::open(*candidate / "Settings_Settings.bundle")) return bundle;
    }
    return std::nullopt;
}

const ResourceBundle& settingsResourceBundle() {
    static const ResourceBundle bundle = [] {
        std::optional<fs::path> executableFolder;
        std::error_code error;
        const fs::path exe = fs::read_symlink("/proc/self/exe", error);
        if (!error) executableFolder = exe.parent_path();
        std::optional<fs::path> mainResources;
        if (executableFolder) mainResources = *executableFolder / ".." / "share" / "GlimmoDemo";
        const std::optional<fs::path> componentResources = fs::path(GLIMMO_SETTINGS_RESOURCE_DIR);
        auto found = findResourceBundle({mainResources, componentResources, executableFolder});
        if (!found) {
            std::fprintf(stderr, "unable to find bundle named Settings_Settings\n");
            std::abort();
        }
        return *found;
    }();
    return bundle;
}

} // namespace settings
