#include "platform/foundation/JsonWriting.h"

#include "platform/foundation/Utf8.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <cstdio>

namespace glimmo {
namespace {

// The short escapes JSON has for control characters; the others are written "\u00XX".
char shortEscape(char c) {
    switch (c) {
    case '\b': return 'b';
    case '\f': return 'f';
    case '\n': return 'n';
    case '\r': return 'r';
    case '\t': return 't';
    default: return 0;
    }
}

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20; }

// How many bytes more than itself a byte of valid UTF-8 takes in a JSON string, slashes as they are.
constexpr std::array<std::uint8_t, 256> escapeGrowth = [] {
    std::array<std::uint8_t, 256> growth{};
    for (int c = 0; c < 0x20; ++c) growth[c] = 5; // "\u00XX"
    for (const char c : {'\b', '\f', '\n', '\r', '\t', '"', '\\'}) growth[static_cast<unsigned char>(c)] = 1;
    return growth;
}();

} // namespace

void appendJSONString(std::string& out, std::string_view text, JSONSlashes slashes) {
    if (!isValidUTF8(text)) {
        appendJSONString(out, repairUTF8(text), slashes);
        return;
    }
    const bool escapeSlashes = slashes == JSONSlashes::escaped;
    out.reserve(out.size() + text.size() + 2);
    out += '"';
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!isControl(c) && c != '"' && c != '\\' && !(c == '/' && escapeSlashes)) {
            continue;
        }
        out.append(text.substr(run, i - run));
        run = i + 1;
        if (!isControl(c)) {
            out += '\\';
            out += c;
        } else if (const char letter = shortEscape(c)) {
            out += '\\';
            out += letter;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    out.append(text.substr(run));
    out += '"';
}

std::size_t jsonStringSize(std::string_view text) {
    if (!isValidUTF8(text)) {
        return jsonStringSize(repairUTF8(text));
    }
    std::size_t size = text.size() + 2;
    for (const char c : text) {
        size += escapeGrowth[static_cast<unsigned char>(c)];
    }
    return size;
}

void appendJSONNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    // nlohmann's own shortest form, which its writer uses for every floating number.
    std::array<char, 64> buffer{};
    char* const end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}

} // namespace glimmo
