#pragma once

// Symbol images (SF Symbol names as the views use them) drawn with glyphs of the Material Design Icons
// font (the Qt backend loads the font file itself, see platform/qt/KitFonts.h).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

// The glyph of a symbol name as UTF-8 text in the "Material Design Icons" font; nullopt for a name the
// table does not know (such an image draws nothing and takes no space).
std::optional<std::string> symbolGlyph(std::string_view systemName);
// Every symbol name the table knows.
std::vector<std::string> knownSymbolNames();

} // namespace glimmo
