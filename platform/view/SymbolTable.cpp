#include "platform/view/SymbolTable.h"

#include <array>
#include <utility>

namespace glimmo {
namespace {

struct SymbolEntry {
    std::string_view name;
    char32_t codePoint;
};

// SF Symbol name -> Material Design Icons code point (glyph names in comments).
constexpr std::array symbols{
    SymbolEntry{"arrow.left", 0xF04D},             // arrow-left
    SymbolEntry{"arrow.right", 0xF054},            // arrow-right
    SymbolEntry{"arrow.up.circle.fill", 0xF05F},   // arrow-up-bold-circle
    SymbolEntry{"bubble.left", 0xF365},            // message-outline
    SymbolEntry{"chart.bar", 0xF128},              // chart-bar
    SymbolEntry{"checkmark.circle.fill", 0xF5E0},  // check-circle
    SymbolEntry{"checkmark.square.fill", 0xF132},  // checkbox-marked
    SymbolEntry{"chevron.down", 0xF140},           // chevron-down
    SymbolEntry{"chevron.right", 0xF142},          // chevron-right
    SymbolEntry{"circle", 0xF130},                 // checkbox-blank-circle-outline
    SymbolEntry{"circle.fill", 0xF12F},            // checkbox-blank-circle
    SymbolEntry{"clock.arrow.circlepath", 0xF2DA}, // history
    SymbolEntry{"doc.on.doc", 0xF18F},             // content-copy
    SymbolEntry{"folder", 0xF24B},                 // folder
    SymbolEntry{"gear", 0xF493},                   // settings
    SymbolEntry{"magnifyingglass", 0xF349},        // magnify
    SymbolEntry{"minus.circle.fill", 0xF376},      // minus-circle
    SymbolEntry{"plus.circle.fill", 0xF417},       // plus-circle
    SymbolEntry{"square", 0xF131},                 // checkbox-blank-outline
    SymbolEntry{"square.fill", 0xF12E},            // checkbox-blank
    SymbolEntry{"trash", 0xF1C0},                  // delete
};

std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace

std::optional<std::string> symbolGlyph(std::string_view systemName) {
    for (const auto& entry : symbols) {
        if (entry.name == systemName) return utf8(entry.codePoint);
    }
    return std::nullopt;
}

std::vector<std::string> knownSymbolNames() {
    std::vector<std::string> names;
    for (const auto& entry : symbols) names.emplace_back(entry.name);
    return names;
}

} // namespace glimmo
