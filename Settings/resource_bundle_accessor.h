#pragma once

// The component's resource bundle "Settings_Settings.bundle": a folder with one
// "<language>.lproj/Localizable.strings" table per language.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace settings {

class ResourceBundle {
public:
    explicit ResourceBundle(std::filesystem::path folder);
    // Opens `folder` when it exists as a folder.
    static std::optional<ResourceBundle> open(const std::filesystem::path& folder);

    const std::filesystem::path& folder() const { return folder_; }
    // The localized string for `key` in the user's language (LC_ALL, LC_MESSAGES, LANG), else English;
    // the key itself when no table has it.
    std::string localizedString(const std::string& key) const;

private:
    std::filesystem::path folder_;
    std::map<std::string, std::string> strings_;
};

// The first candidate folder holding "Settings_Settings.bundle"; candidates that are absent are skipped.
std::optional<ResourceBundle> findResourceBundle(const std::vector<std::optional<std::filesystem::path>>& candidates);

// Looked up once per process: the executable's "../share/GlimmoDemo" resource folder, the component's
// own resource folder, the executable's folder. None found stops the process with "unable to find
// bundle named Settings_Settings".
const ResourceBundle& settingsResourceBundle();

// Parses a strings table of lines `"key" = "value";` (comments and blank lines skipped).
std::map<std::string, std::string> parseStringsTable(const std::string& text);

} // namespace settings
