#pragma once

// The fonts the kit draws with, loaded from their files so that every machine lays text out and draws it
// the same, whatever the system's font configuration: Inter (the system font), DejaVu Sans Mono (the
// monospaced font), Material Design Icons (symbol images) and Noto Color Emoji (the fallback for
// characters the other fonts lack, such as emoji).

#include "platform/runtime/ErrorValue.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace glimmo {

// A font the kit needs is not installed, or its file could not be loaded.
class MissingFontError : public std::runtime_error, public CopiedAcrossThreads {
public:
    using std::runtime_error::runtime_error;
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

inline constexpr const char* emojiFontFamily = "Noto Color Emoji";

struct KitFontFileSet {
    std::vector<std::string> inter;       // Inter-*.otf (static weights; not Inter Display)
    std::vector<std::string> monospaced;  // DejaVuSansMono*.ttf
    std::string symbols;                  // materialdesignicons-webfont.ttf
    std::string emoji;                    // NotoColorEmoji.ttf
};

// Finds the font files anywhere under `fontRoot`. Throws MissingFontError naming the font and the Debian
// package that installs it when Inter Regular, DejaVu Sans Mono, Material Design Icons or Noto Color
// Emoji is missing.
KitFontFileSet findKitFontFiles(const std::string& fontRoot = "/usr/share/fonts");

// Registers the files with Qt's font database and checks that each one provides its family. Needs a
// QGuiApplication. Loading again is cheap and harmless: each file is registered once per application.
// Throws MissingFontError.
void loadKitFonts(const std::string& fontRoot = "/usr/share/fonts");

} // namespace glimmo
