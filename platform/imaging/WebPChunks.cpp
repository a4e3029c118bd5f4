#include "platform/imaging/WebPChunks.h"

#include <algorithm>

namespace glimmo::decoding {

namespace {
constexpr std::size_t chunkHeaderSize = 8;
constexpr std::size_t fileHeaderSize = 12;  // "RIFF", the size of what follows, "WEBP"
} // namespace

std::uint32_t littleEndian(std::string_view bytes, std::size_t offset, int count) {
    std::uint32_t value = 0;
    for (int index = count - 1; index >= 0; --index) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(index)]);
    }
    return value;
}

std::string_view chunksOfFile(std::string_view file) {
    if (file.size() < fileHeaderSize || file.substr(0, 4) != "RIFF" || file.substr(8, 4) != "WEBP") return {};
    // The RIFF size counts from after its own field; anything past it is not part of the file.
    const std::size_t end = std::min<std::size_t>(file.size(), 8 + std::size_t{littleEndian(file, 4, 4)});
    return end > fileHeaderSize ? file.substr(fileHeaderSize, end - fileHeaderSize) : std::string_view();
}

std::optional<WebPChunk> WebPChunkReader::next() {
    if (offset_ > chunks_.size() || chunks_.size() - offset_ < chunkHeaderSize) return std::nullopt;
    const std::size_t size = littleEndian(chunks_, offset_ + 4, 4);
    const std::string_view payload = chunks_.substr(offset_ + chunkHeaderSize, size);
    WebPChunk chunk{chunks_.substr(offset_, 4), payload, payload.size() == size};
    offset_ += chunkHeaderSize + size + (size & 1);  // chunks are padded to an even size
    return chunk;
}

WebPImageChunks imageChunks(std::string_view chunks) {
    WebPImageChunks found;
    WebPChunkReader reader(chunks);
    while (const auto chunk = reader.next()) {
        if (chunk->type == "VP8 " || chunk->type == "VP8L") {
            found.image = chunk;
            break;
        }
        if (chunk->type == "ALPH") found.alphaPlanes.push_back(chunk->payload);
    }
    return found;
}

} // namespace glimmo::decoding
