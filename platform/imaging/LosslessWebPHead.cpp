#include "platform/imaging/LosslessWebPHead.h"

#include "platform/imaging/LosslessSubImage.h"

#include <algorithm>
#include <bitset>

namespace glimmo::decoding {

namespace {

enum Transform { predictor = 0, crossColour = 1, subtractGreen = 2, colourIndexing = 3 };

int subsampled(int size, int bits) { return (size + (1 << bits) - 1) >> bits; }

// Past the transforms, leaving the main image's width (a colour table of up to 16 colours packs
// several pixels into one) and counting the pixels of their images.
int skipTransforms(LosslessBitReader& bits, int width, int height, long long& imagePixels, DecodingWork& work) {
    std::bitset<4> seen;
    while (bits.readBit() != 0) {
        const auto transform = static_cast<int>(bits.read(2));
        if (seen.test(static_cast<std::size_t>(transform))) throwMalformed("WebP", "a transform is given twice");
        seen.set(static_cast<std::size_t>(transform));
        if (transform == predictor || transform == crossColour) {
            const int blockBits = static_cast<int>(bits.read(3)) + 2;
            const int columns = subsampled(width, blockBits);
            const int rows = subsampled(height, blockBits);
            readLosslessSubImage(bits, columns, rows, false, work);
            imagePixels += static_cast<long long>(columns) * rows;
        } else if (transform == colourIndexing) {
            const int colours = static_cast<int>(bits.read(8)) + 1;
            readLosslessSubImage(bits, colours, 1, false, work);
            imagePixels += colours;
            width = subsampled(width, colours <= 2 ? 3 : colours <= 4 ? 2 : colours <= 16 ? 1 : 0);
        }
    }
    return width;
}

// The group of each block sits in the prefix image's red and green. libwebp builds the tables of every
// group up to the highest one named, unless that makes more than 1,000 (or, in a tiny image, more than
// its pixels; counted here all the same): then of those named only.
int groupsBuilt(const std::vector<std::uint32_t>& prefixImage) {
    constexpr std::uint32_t mostBuiltUpToHighest = 1000;
    std::bitset<1 << 16> named;
    std::uint32_t highest = 0;
    for (const std::uint32_t pixel : prefixImage) {
        const std::uint32_t group = (pixel >> 8) & 0xffff;
        highest = std::max(highest, group);
        named.set(group);
    }
    return static_cast<int>(highest < mostBuiltUpToHighest ? highest + 1 : named.count());
}

} // namespace

LosslessWebPHead readLosslessWebPHead(std::string_view stream, int width, int height, DecodingWork& work,
                                      const ImageDecodingLimits& limits) {
    LosslessBitReader bits(stream);
    LosslessWebPHead head;
    const int packedWidth = skipTransforms(bits, width, height, head.leadingImagePixels, work);
    head.colourCacheBits = readColourCacheBits(bits);
    if (bits.readBit() != 0) {
        const int blockBits = static_cast<int>(bits.read(3)) + 2;
        const int columns = subsampled(packedWidth, blockBits);
        const int rows = subsampled(height, blockBits);
        const long long pixels = static_cast<long long>(columns) * rows;
        // Up to a sixteenth of the image's pixels (16 MiB within the default limits), kept while it is
        // read: charged as the decode's own memory is, whose count later takes its place.
        admitWorkspaceBytes(static_cast<std::size_t>(pixels) * sizeof(std::uint32_t), limits);
        head.prefixCodeGroups = groupsBuilt(readLosslessSubImage(bits, columns, rows, true, work));
        head.leadingImagePixels += pixels;
    }
    return head;
}

std::size_t LosslessWebPHead::workspaceBytes() const {
    // Measured on libwebp 1.2.4 by the colour cache's bits: a group's five tables are sized for the
    // longest codes of their alphabets, and the green one's alphabet grows with the cache.
    constexpr std::size_t bytesOfGroup[] = {12384, 12392, 12400, 12416, 12448, 12512,
                                            12640, 12896, 13416, 14440, 16488, 20584};
    return static_cast<std::size_t>(prefixCodeGroups) * bytesOfGroup[colourCacheBits] +
           static_cast<std::size_t>(leadingImagePixels) * 4;
}

} // namespace glimmo::decoding
