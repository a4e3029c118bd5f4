#pragma once

// Internal: the bits of a lossless WebP bitstream, read from the lowest bit of each byte up. Reading
// past the end refuses the image as malformed; nothing past the data is ever touched.

#include "platform/imaging/DecoderFormats.h"

#include <cstdint>
#include <string_view>

namespace glimmo::decoding {

class LosslessBitReader {
public:
    explicit LosslessBitReader(std::string_view bytes) : bytes_(bytes) {}

    // The next `count` bits (at most 24), the first one lowest.
    std::uint32_t read(int count) {
        std::uint32_t value = 0;
        for (int index = 0; index < count; ++index) value |= readBit() << index;
        return value;
    }

    std::uint32_t readBit() {
        const std::size_t byte = position_ >> 3;
        if (byte >= bytes_.size()) throwMalformed("WebP", "the lossless data ends early");
        const auto bit = (static_cast<std::uint8_t>(bytes_[byte]) >> (position_ & 7)) & 1U;
        ++position_;
        return bit;
    }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

} // namespace glimmo::decoding
