#include "tests/platform/imaging/LosslessWebPWriter.h"

#include "tests/platform/imaging/DemandingImageFiles.h"
#include "tests/platform/imaging/TestImageFiles.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace glimmo::testing {

namespace {

int blocks(int size, int bits) { return (size + (1 << bits) - 1) >> bits; }

// Bits are packed from the lowest bit of each byte up.
class BitWriter {
public:
    void bits(std::uint32_t value, int count) {
        for (int index = 0; index < count; ++index) bit((value >> index) & 1);
    }
    void bit(std::uint32_t value) {
        if (used_ % 8 == 0) bytes_.push_back(0);
        bytes_.back() = static_cast<char>(bytes_.back() | static_cast<char>(value << (used_ % 8)));
        ++used_;
    }
    // A symbol of a prefix code goes out from its code's highest bit down.
    void code(std::uint32_t value, int length) {
        for (int index = length - 1; index >= 0; --index) bit((value >> index) & 1);
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
    long long used_ = 0;
};

constexpr int literalCodes = 256 + 24;  // green: literals, then lengths of backward references

// A code of one symbol, which takes no bits where it is used.
void writeOneSymbolCode(BitWriter& out, int symbol) {
    out.bits(1, 1);  // simple
    out.bits(0, 1);  // one symbol
    const bool wide = symbol > 1;
    out.bits(wide ? 1 : 0, 1);
    out.bits(static_cast<std::uint32_t>(symbol), wide ? 8 : 1);
}

// Symbols 0 and 1, a bit each.
void writeTwoSymbolCode(BitWriter& out) {
    out.bits(1, 1);
    out.bits(1, 1);
    out.bits(0, 1);
    out.bits(0, 1);
    out.bits(1, 8);
}

// Every byte value eight bits long, the rest of the alphabet unused: the code lengths are written with
// a code of two symbols, length 0 and length 8, a bit each.
void writeByteCode(BitWriter& out, int alphabetSize) {
    out.bits(0, 1);        // normal
    out.bits(12 - 4, 4);   // twelve code length code lengths, in the order 17, 18, 0, 1, 2, 3, 4, 5, 16, 6, 7, 8
    for (const int length : {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}) out.bits(static_cast<std::uint32_t>(length), 3);
    out.bits(0, 1);  // every symbol's length follows
    for (int symbol = 0; symbol < alphabetSize; ++symbol) out.bits(symbol < 256 ? 1 : 0, 1);
}

// An image without transforms, colour cache or prefix image: each channel that varies takes a byte a
// pixel, one that does not takes nothing.
void writeSubImage(BitWriter& out, const std::vector<std::uint32_t>& pixels) {
    out.bits(0, 1);  // no colour cache
    constexpr int shifts[] = {8, 16, 0, 24};  // green, red, blue, alpha
    bool varies[4] = {};
    for (int channel = 0; channel < 4; ++channel) {
        const auto value = [&](std::uint32_t pixel) { return (pixel >> shifts[channel]) & 0xff; };
        for (const std::uint32_t pixel : pixels) varies[channel] = varies[channel] || value(pixel) != value(pixels[0]);
        if (varies[channel]) {
            writeByteCode(out, channel == 0 ? literalCodes : 256);
        } else {
            writeOneSymbolCode(out, static_cast<int>(value(pixels[0])));
        }
    }
    writeOneSymbolCode(out, 0);  // distance
    for (const std::uint32_t pixel : pixels) {
        for (int channel = 0; channel < 4; ++channel) {
            if (varies[channel]) out.code((pixel >> shifts[channel]) & 0xff, 8);
        }
    }
}

void writeImageStream(BitWriter& out, const PrefixGroupsShape& shape) {
    int width = shape.width;
    const int height = shape.height;
    if (shape.predictor) {
        out.bits(1, 1);
        out.bits(0, 2);      // predictor
        out.bits(3 - 2, 3);  // blocks of 8 pixels
        std::vector<std::uint32_t> modes(static_cast<std::size_t>(blocks(width, 3)) * blocks(height, 3));
        for (std::size_t index = 0; index < modes.size(); ++index) modes[index] = static_cast<std::uint32_t>(index % 14) << 8;
        writeSubImage(out, modes);
    }
    if (shape.subtractGreen) {
        out.bits(1, 1);
        out.bits(2, 2);
    }
    if (shape.paletteColours > 0) {
        out.bits(1, 1);
        out.bits(3, 2);  // colour indexing
        out.bits(static_cast<std::uint32_t>(shape.paletteColours - 1), 8);
        std::vector<std::uint32_t> colours(static_cast<std::size_t>(shape.paletteColours));
        for (std::size_t index = 0; index < colours.size(); ++index) colours[index] = 0xff000000u | static_cast<std::uint32_t>(index * 0x010305);
        writeSubImage(out, colours);
        const int packing = shape.paletteColours <= 2 ? 3 : shape.paletteColours <= 4 ? 2 : shape.paletteColours <= 16 ? 1 : 0;
        width = blocks(width, packing);
    }
    out.bits(0, 1);  // no more transforms
    out.bits(shape.colourCacheBits > 0 ? 1 : 0, 1);
    if (shape.colourCacheBits > 0) out.bits(static_cast<std::uint32_t>(shape.colourCacheBits), 4);
    out.bits(1, 1);  // a prefix image
    out.bits(static_cast<std::uint32_t>(shape.prefixBits - 2), 3);
    std::vector<std::uint32_t> groupOfBlock(static_cast<std::size_t>(blocks(width, shape.prefixBits)) * blocks(height, shape.prefixBits));
    std::uint32_t highest = 0;
    for (std::size_t index = 0; index < groupOfBlock.size(); ++index) {
        const auto group = static_cast<std::uint32_t>(static_cast<int>(index) % shape.groups * shape.groupStride);
        groupOfBlock[index] = group << 8;  // red and green hold the group
        highest = std::max(highest, group);
    }
    writeSubImage(out, groupOfBlock);
    for (std::uint32_t group = 0; group <= highest; ++group) {
        if (group == 0 && shape.pixelsTakeBits) {
            writeTwoSymbolCode(out);
        } else {
            writeOneSymbolCode(out, static_cast<int>(group % 256));  // green: each group a colour of its own
        }
        for (int code = 0; code < 4; ++code) writeOneSymbolCode(out, code == 2 ? 255 : 0);  // red, blue, alpha, distance
    }
    if (!shape.pixelsTakeBits) return;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t block = static_cast<std::size_t>(y >> shape.prefixBits) * blocks(width, shape.prefixBits) + (x >> shape.prefixBits);
            if (groupOfBlock[block] == 0) out.bit((x ^ y) & 1);
        }
    }
}

void appendLittleEndian(std::string& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xff);
}

std::string chunk(const char* type, const std::string& payload) {
    std::string bytes(type, 4);
    appendLittleEndian(bytes, static_cast<std::uint32_t>(payload.size()));
    bytes += payload;
    if (payload.size() % 2 != 0) bytes += '\0';
    return bytes;
}

std::string riff(const std::string& chunks) {
    std::string bytes = "RIFF";
    appendLittleEndian(bytes, static_cast<std::uint32_t>(4 + chunks.size()));
    return bytes + "WEBP" + chunks;
}

} // namespace

std::string losslessImageStream(const PrefixGroupsShape& shape) {
    BitWriter out;
    writeImageStream(out, shape);
    return out.bytes();
}

std::string losslessWebP(const PrefixGroupsShape& shape) {
    BitWriter out;
    out.bits(0x2f, 8);
    out.bits(static_cast<std::uint32_t>(shape.width - 1), 14);
    out.bits(static_cast<std::uint32_t>(shape.height - 1), 14);
    out.bits(0, 1);  // no alpha
    out.bits(0, 3);  // version
    writeImageStream(out, shape);
    return riff(chunk("VP8L", out.bytes()));
}

// The encoder's own lossy file with transparency, its alpha chunk replaced.
std::string lossyWebPWithLosslessAlpha(const PrefixGroupsShape& shape) {
    const std::string encoded = largeWebP(shape.width, shape.height, WebPKind::lossyWithAlpha);
    std::string chunks;
    bool replaced = false;
    for (std::size_t offset = 12; offset + 8 <= encoded.size();) {
        const std::string type = encoded.substr(offset, 4);
        const std::size_t size = static_cast<std::uint8_t>(encoded[offset + 4]) | static_cast<std::uint8_t>(encoded[offset + 5]) << 8 |
                                 static_cast<std::uint8_t>(encoded[offset + 6]) << 16 | static_cast<std::size_t>(static_cast<std::uint8_t>(encoded[offset + 7])) << 24;
        if (type == "ALPH") {
            chunks += chunk("ALPH", std::string(1, '\x01') + losslessImageStream(shape));  // lossless, unfiltered
            replaced = true;
        } else {
            chunks += encoded.substr(offset, 8 + size + size % 2);
        }
        offset += 8 + size + size % 2;
    }
    check(replaced, "the encoder wrote no alpha chunk");
    return riff(chunks);
}

std::string animatedLosslessWebP(const PrefixGroupsShape& shape) {
    return animatedWebP(shape.width, shape.height, {{losslessWebP(shape)}, {encodeWebP(patternImage(1, 1))}});
}

} // namespace glimmo::testing
