#include "platform/foundation/Utf8.h"

#include <cstdint>
#include <cstring>

namespace glimmo::utf8 {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

} // namespace

Decoded decode(std::string_view text, std::size_t position) {
    const auto byteAt = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    const unsigned char lead = byteAt(position);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t value = 0;
    // The allowed range of the second byte depends on the lead byte (Unicode Table 3-7).
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) {
            secondLow = 0xA0;
        } else if (lead == 0xED) {
            secondHigh = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) {
            secondLow = 0x90;
        } else if (lead == 0xF4) {
            secondHigh = 0x8F;
        }
    } else {
        return {replacementCharacter, 1, false};
    }
    std::size_t consumed = 1;
    while (consumed < length) {
        const std::size_t index = position + consumed;
        if (index >= text.size()) {
            return {replacementCharacter, consumed, false};
        }
        const unsigned char byte = byteAt(index);
        const bool fits = consumed == 1 ? isContinuation(byte, secondLow, secondHigh) : isContinuation(byte);
        if (!fits) {
            return {replacementCharacter, consumed, false};
        }
        value = (value << 6) | (byte & 0x3F);
        ++consumed;
    }
    return {value, length, true};
}

void append(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

} // namespace glimmo::utf8

namespace glimmo {

namespace {

// Where the first byte of 0x80 or above is, eight bytes at a time: text is mostly ASCII, which needs
// no decoding.
std::size_t asciiPrefixLength(std::string_view bytes) {
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    std::size_t position = 0;
    for (; position + 8 <= bytes.size(); position += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + position, 8);
        if ((word & highBits) != 0) break;
    }
    while (position < bytes.size() && static_cast<unsigned char>(bytes[position]) < 0x80) {
        ++position;
    }
    return position;
}

} // namespace

bool isValidUTF8(std::string_view bytes) {
    for (std::size_t position = asciiPrefixLength(bytes); position < bytes.size();) {
        const auto decoded = utf8::decode(bytes, position);
        if (!decoded.valid) {
            return false;
        }
        position += decoded.length;
    }
    return true;
}

std::string repairUTF8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t position = 0; position < bytes.size();) {
        const auto decoded = utf8::decode(bytes, position);
        if (decoded.valid) {
            out.append(bytes.substr(position, decoded.length));
        } else {
            utf8::append(out, decoded.codePoint);
        }
        position += decoded.length;
    }
    return out;
}

} // namespace glimmo
