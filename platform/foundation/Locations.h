#pragma once

#include <filesystem>
#include <string>

namespace glimmo {

// Each call reads the environment afresh, so tests can point HOME and XDG_* elsewhere.

// HOME, else the password database entry of the current user.
std::filesystem::path homeDirectory();

// XDG_DOCUMENTS_DIR from the environment or from $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Documents.
std::filesystem::path documentsDirectory();

// XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path applicationSupportDirectory();

// The application's own data folder, applicationSupportDirectory() / bundleIdentifier(): one running
// instance owns it (InstanceLock), and the per-day store and the browser history's copy live in it.
std::filesystem::path applicationDataDirectory();

// XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path configurationDirectory();

// The login name of the current user.
std::string loginName();

// The application's identifier, "com.glimmodemo.GlimmoDemo".
std::string bundleIdentifier();

} // namespace glimmo
