#include "platform/imaging/LosslessSubImage.h"

#include "platform/imaging/LosslessPrefixCode.h"

#include <algorithm>

namespace glimmo::decoding {

namespace {

constexpr int literalSymbols = 256;
constexpr int lengthSymbols = 24;
constexpr int distanceSymbols = 40;

// A length or distance: a prefix symbol, then as many extra bits as the symbol says.
int prefixedValue(int symbol, LosslessBitReader& bits) {
    if (symbol < 4) return symbol + 1;
    const int extraBits = (symbol - 2) >> 1;
    const int offset = (2 + (symbol & 1)) << extraBits;
    return offset + static_cast<int>(bits.read(extraBits)) + 1;
}

// The first 120 distance codes name the nearest pixels around the current one, as (columns, rows) back.
constexpr std::int8_t nearbyPixels[120][2] = {
    {0, 1},  {1, 0},  {1, 1},  {-1, 1}, {0, 2},  {2, 0},  {1, 2},  {-1, 2}, {2, 1},  {-2, 1}, {2, 2},  {-2, 2},
    {0, 3},  {3, 0},  {1, 3},  {-1, 3}, {3, 1},  {-3, 1}, {2, 3},  {-2, 3}, {3, 2},  {-3, 2}, {0, 4},  {4, 0},
    {1, 4},  {-1, 4}, {4, 1},  {-4, 1}, {3, 3},  {-3, 3}, {2, 4},  {-2, 4}, {4, 2},  {-4, 2}, {0, 5},  {3, 4},
    {-3, 4}, {4, 3},  {-4, 3}, {5, 0},  {1, 5},  {-1, 5}, {5, 1},  {-5, 1}, {2, 5},  {-2, 5}, {5, 2},  {-5, 2},
    {4, 4},  {-4, 4}, {3, 5},  {-3, 5}, {5, 3},  {-5, 3}, {0, 6},  {6, 0},  {1, 6},  {-1, 6}, {6, 1},  {-6, 1},
    {2, 6},  {-2, 6}, {6, 2},  {-6, 2}, {4, 5},  {-4, 5}, {5, 4},  {-5, 4}, {3, 6},  {-3, 6}, {6, 3},  {-6, 3},
    {0, 7},  {7, 0},  {1, 7},  {-1, 7}, {5, 5},  {-5, 5}, {7, 1},  {-7, 1}, {4, 6},  {-4, 6}, {6, 4},  {-6, 4},
    {2, 7},  {-2, 7}, {7, 2},  {-7, 2}, {3, 7},  {-3, 7}, {7, 3},  {-7, 3}, {5, 6},  {-5, 6}, {6, 5},  {-6, 5},
    {8, 0},  {4, 7},  {-4, 7}, {7, 4},  {-7, 4}, {8, 1},  {8, 2},  {6, 6},  {-6, 6}, {8, 3},  {5, 7},  {-5, 7},
    {7, 5},  {-7, 5}, {8, 4},  {6, 7},  {-6, 7}, {7, 6},  {-7, 6}, {8, 5},  {7, 7},  {-7, 7}, {8, 6},  {8, 7}};

long long pixelsBack(int distanceCode, int width) {
    if (distanceCode > 120) return distanceCode - 120;
    const auto& [columns, rows] = nearbyPixels[distanceCode - 1];
    return std::max(1LL, columns + static_cast<long long>(rows) * width);
}

class ColourCache {
public:
    explicit ColourCache(int bits) : bits_(bits), colours_(bits > 0 ? std::size_t{1} << bits : 0) {}
    void insert(std::uint32_t colour) {
        if (bits_ > 0) colours_[(0x1e35a7bdU * colour) >> (32 - bits_)] = colour;
    }
    std::uint32_t at(int index) const { return colours_[static_cast<std::size_t>(index)]; }

private:
    int bits_;
    std::vector<std::uint32_t> colours_;
};

} // namespace

int readColourCacheBits(LosslessBitReader& bits) {
    if (bits.readBit() == 0) return 0;
    const auto cacheBits = static_cast<int>(bits.read(4));
    if (cacheBits < 1 || cacheBits > 11) throwMalformed("WebP", "the colour cache has an impossible size");
    return cacheBits;
}

std::vector<std::uint32_t> readLosslessSubImage(LosslessBitReader& bits, int width, int height, bool keepPixels,
                                                DecodingWork& work) {
    const int cacheBits = readColourCacheBits(bits);
    const int cacheSymbols = cacheBits > 0 ? 1 << cacheBits : 0;
    const LosslessPrefixCode green = LosslessPrefixCode::read(bits, literalSymbols + lengthSymbols + cacheSymbols);
    const LosslessPrefixCode red = LosslessPrefixCode::read(bits, literalSymbols);
    const LosslessPrefixCode blue = LosslessPrefixCode::read(bits, literalSymbols);
    const LosslessPrefixCode alpha = LosslessPrefixCode::read(bits, literalSymbols);
    const LosslessPrefixCode distance = LosslessPrefixCode::read(bits, distanceSymbols);
    const long long total = static_cast<long long>(width) * height;
    std::vector<std::uint32_t> pixels;
    if (keepPixels) pixels.reserve(static_cast<std::size_t>(total));
    ColourCache cache(keepPixels ? cacheBits : 0);
    const auto add = [&](std::uint32_t pixel) {
        pixels.push_back(pixel);
        cache.insert(pixel);
    };
    long long counted = 0;  // the pixels up to the end of the row being read
    for (long long position = 0; position < total;) {
        if (position >= counted) {
            // A backward reference may have run past several rows: they count too.
            const long long rowEnd = std::min(total, (position / width + 1) * width);
            work.add(rowEnd - counted);
            counted = rowEnd;
        }
        const int symbol = green.decode(bits);
        if (symbol < literalSymbols) {
            const auto r = static_cast<std::uint32_t>(red.decode(bits));
            const auto b = static_cast<std::uint32_t>(blue.decode(bits));
            const auto a = static_cast<std::uint32_t>(alpha.decode(bits));
            if (keepPixels) add(a << 24 | r << 16 | static_cast<std::uint32_t>(symbol) << 8 | b);
            ++position;
        } else if (symbol < literalSymbols + lengthSymbols) {
            const long long length = std::min<long long>(prefixedValue(symbol - literalSymbols, bits), total - position);
            const long long back = pixelsBack(prefixedValue(distance.decode(bits), bits), width);
            if (back > position) throwMalformed("WebP", "a backward reference reaches before the image");
            for (long long index = 0; keepPixels && index < length; ++index) add(pixels[pixels.size() - static_cast<std::size_t>(back)]);
            position += length;
        } else {
            if (keepPixels) add(cache.at(symbol - literalSymbols - lengthSymbols));
            ++position;
        }
    }
    return pixels;
}

} // namespace glimmo::decoding
