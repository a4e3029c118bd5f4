#include "platform/foundation/JsonWriting.h"

#include "platform/foundation/Utf8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace glimmo {
namespace {

// How many bytes more than itself a byte below 0x80 takes in a JSON string, slashes as they are.
constexpr std::array<std::uint8_t, 0x80> escapeGrowth = [] {
    std::array<std::uint8_t, 0x80> growth{};
    for (int c = 0; c < 0x20; ++c) growth[c] = 5; // "\u00XX"
    for (const char c : {'\b', '\f', '\n', '\r', '\t', '"', '\\'}) growth[static_cast<unsigned char>(c)] = 1;
    return growth;
}();

// Whether none of the eight bytes at `position` is escaped or begins a longer sequence: most of a text is
// such words, copied whole.
bool isPlainWord(std::string_view text, std::size_t position, bool escapeSlashes) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    const auto hasZeroByte = [](std::uint64_t word) { return ((word - ones) & ~word & highBits) != 0; };
    const auto hasByte = [&](std::uint64_t word, char c) { return hasZeroByte(word ^ (ones * static_cast<unsigned char>(c))); };
    std::uint64_t word;
    std::memcpy(&word, text.data() + position, sizeof word);
    const bool hasControl = ((word - ones * 0x20) & ~word & highBits) != 0;
    return (word & highBits) == 0 && !hasControl && !hasByte(word, '"') && !hasByte(word, '\\') &&
           !(escapeSlashes && hasByte(word, '/'));
}

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

// Writes the escape of a byte below 0x80 at `next`; returns the end of what it wrote.
char* writeEscaped(char* next, char c) {
    const char letter = static_cast<unsigned char>(c) < 0x20 ? shortEscape(c) : c;
    *next++ = '\\';
    if (letter != 0) {
        *next++ = letter;
        return next;
    }
    constexpr std::string_view hexDigits = "0123456789abcdef";
    for (const char written : {'u', '0', '0', hexDigits[(c >> 4) & 0xF], hexDigits[c & 0xF]}) *next++ = written;
    return next;
}

// An invalid UTF-8 sequence is written as U+FFFD.
constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// What the sequence at `position` takes: a byte below 0x80 itself or its escape, a longer one its bytes or
// U+FFFD.
struct Sequence {
    std::size_t length;
    std::size_t writtenSize;
    bool valid;
};

Sequence sequenceAt(std::string_view text, std::size_t position) {
    const auto byte = static_cast<unsigned char>(text[position]);
    if (byte < 0x80) {
        return {1, std::size_t{1} + escapeGrowth[byte], true};
    }
    const utf8::Decoded decoded = utf8::decode(text, position);
    return {decoded.length, decoded.valid ? decoded.length : replacementCharacter.size(), decoded.valid};
}

} // namespace

void appendJSONString(std::string& out, std::string_view text, JSONSlashes slashes) {
    const bool escapeSlashes = slashes == JSONSlashes::escaped;
    // Told first and then written in place: after a byte written as it is, eight at a time while they are
    // too, otherwise byte by byte, for a text may be megabytes with every other byte escaped.
    const std::size_t size =
        jsonStringSize(text) + (escapeSlashes ? static_cast<std::size_t>(std::count(text.begin(), text.end(), '/')) : 0);
    const std::size_t start = out.size();
    out.resize(start + size);
    char* next = out.data() + start;
    *next++ = '"';
    for (std::size_t position = 0; position < text.size();) {
        const char c = text[position];
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            ++position;
            if (escapeGrowth[byte] != 0 || (c == '/' && escapeSlashes)) {
                next = writeEscaped(next, c);
                continue;
            }
            *next++ = c;
            while (position + 8 <= text.size() && isPlainWord(text, position, escapeSlashes)) {
                next = std::copy_n(text.data() + position, 8, next);
                position += 8;
            }
            continue;
        }
        const Sequence sequence = sequenceAt(text, position);
        if (sequence.valid) {
            next = std::copy_n(text.data() + position, sequence.length, next);
        } else {
            next = std::copy(replacementCharacter.begin(), replacementCharacter.end(), next);
        }
        position += sequence.length;
    }
    *next = '"';
}

std::size_t jsonStringSize(std::string_view text) {
    std::size_t size = 2;
    for (std::size_t position = 0; position < text.size();) {
        const Sequence sequence = sequenceAt(text, position);
        size += sequence.writtenSize;
        position += sequence.length;
        if (sequence.writtenSize == 1) {
            while (position + 8 <= text.size() && isPlainWord(text, position, false)) {
                size += 8;
                position += 8;
            }
        }
    }
    return size;
}

std::size_t jsonStringSequenceSize(std::string_view sequence) {
    return sequenceAt(sequence, 0).writtenSize;
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
