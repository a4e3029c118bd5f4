#pragma once

// Protocol names (schemes, hosts, header and key names) are ASCII and compared without regard to the
// locale: only A–Z are lowered, every other byte is kept. Text for people goes through Text.h.

#include <string>

namespace glimmo {

inline std::string asciiLowercased(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

} // namespace glimmo
