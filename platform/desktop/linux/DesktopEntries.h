#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

struct DesktopEntry {
    std::string id;   // file name without ".desktop" (e.g. "google-chrome")
    std::string name; // Name, localised for the user's language when the file has it
    std::string startupWMClass;
    std::string executable; // base name of the first word of Exec
};

// The installed applications' desktop entries, used to give windows their applications' names.
class DesktopEntries {
public:
    // Reads $XDG_DATA_HOME/applications and each $XDG_DATA_DIRS/applications (the first file of an
    // id wins, as the menu does). language: e.g. "de" or "pt_BR" for localised names; empty: none.
    static DesktopEntries load(const std::string& language);
    // Reads exactly these folders (tests).
    static DesktopEntries loadFrom(const std::vector<std::filesystem::path>& folders, const std::string& language);

    // The entry whose StartupWMClass equals the window's class (any letter case), else whose id
    // equals the class or instance name, else the one entry whose executable equals the process's
    // executable (never for shells and interpreters, which run many applications).
    std::optional<DesktopEntry> match(const std::string& wmInstance, const std::string& wmClass,
                                      const std::string& executable) const;

    const std::vector<DesktopEntry>& entries() const { return entries_; }

    // One entry from the text of a .desktop file; nullopt when it is not a visible application.
    static std::optional<DesktopEntry> parse(const std::string& id, const std::string& text,
                                             const std::string& language);

    // The user's language for localised names, from LC_ALL, LC_MESSAGES or LANG ("de_DE.UTF-8" -> "de_DE").
    static std::string languageFromEnvironment();

private:
    std::vector<DesktopEntry> entries_;
};

} // namespace glimmo
