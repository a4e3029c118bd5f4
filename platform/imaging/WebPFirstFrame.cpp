#include "platform/imaging/WebPFirstFrame.h"

#include "platform/imaging/WebPChunks.h"

namespace glimmo::decoding {

namespace {
constexpr std::size_t frameHeaderSize = 16;  // left / 2, top / 2, width - 1, height - 1, duration, flags
} // namespace

std::optional<WebPFrame> firstAnimationFrame(std::string_view file) {
    WebPChunkReader reader(chunksOfFile(file));
    while (const auto chunk = reader.next()) {
        if (chunk->type != "ANMF") continue;
        if (!chunk->whole || chunk->payload.size() < frameHeaderSize) return std::nullopt;
        const std::string_view header = chunk->payload;
        return WebPFrame{static_cast<int>(littleEndian(header, 0, 3) * 2), static_cast<int>(littleEndian(header, 3, 3) * 2),
                         static_cast<int>(littleEndian(header, 6, 3) + 1), static_cast<int>(littleEndian(header, 9, 3) + 1),
                         chunk->payload.substr(frameHeaderSize)};
    }
    return std::nullopt;
}

} // namespace glimmo::decoding
