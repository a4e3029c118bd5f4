#include "platform/imaging/WebPFirstFrame.h"

#include <algorithm>
#include <cstdint>

namespace glimmo::decoding {

namespace {

std::uint32_t littleEndian(std::string_view bytes, std::size_t offset, int count) {
    std::uint32_t value = 0;
    for (int index = count - 1; index >= 0; --index) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(index)]);
    }
    return value;
}

constexpr std::size_t chunkHeaderSize = 8;
constexpr std::size_t frameHeaderSize = 16;  // left / 2, top / 2, width - 1, height - 1, duration, flags

} // namespace

std::optional<WebPFrame> firstAnimationFrame(std::string_view file) {
    if (file.size() < 12 || file.substr(0, 4) != "RIFF" || file.substr(8, 4) != "WEBP") return std::nullopt;
    // The RIFF size counts from after its own field; anything past it is not part of the file.
    const std::string_view chunks = file.substr(0, std::min<std::size_t>(file.size(), 8 + std::size_t{littleEndian(file, 4, 4)}));
    std::size_t offset = 12;
    while (chunks.size() - offset >= chunkHeaderSize) {
        const std::string_view type = chunks.substr(offset, 4);
        const std::size_t size = littleEndian(chunks, offset + 4, 4);
        const std::size_t payload = offset + chunkHeaderSize;
        if (size > chunks.size() - payload) return std::nullopt;
        if (type == "ANMF") {
            if (size < frameHeaderSize) return std::nullopt;
            return WebPFrame{static_cast<int>(littleEndian(chunks, payload, 3) * 2),
                             static_cast<int>(littleEndian(chunks, payload + 3, 3) * 2),
                             static_cast<int>(littleEndian(chunks, payload + 6, 3) + 1),
                             static_cast<int>(littleEndian(chunks, payload + 9, 3) + 1),
                             chunks.substr(payload + frameHeaderSize, size - frameHeaderSize)};
        }
        offset = payload + size + (size & 1);  // chunks are padded to an even size
        if (offset > chunks.size()) return std::nullopt;
    }
    return std::nullopt;
}

} // namespace glimmo::decoding
