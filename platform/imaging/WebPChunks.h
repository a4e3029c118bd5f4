#pragma once

// Internal: the chunks of a WebP file, each a four-letter type, a little-endian size and a payload
// padded to an even size. Only what the data holds is read.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace glimmo::decoding {

struct WebPChunk {
    std::string_view type;
    // As much of the payload as the data holds.
    std::string_view payload;
    // Whether the data holds all of it.
    bool whole = false;
};

// The chunks of a file: what follows its RIFF header, up to the size that header gives (empty when the
// file has no such header).
std::string_view chunksOfFile(std::string_view file);

// The chunks in `chunks`, one after the other.
class WebPChunkReader {
public:
    explicit WebPChunkReader(std::string_view chunks) : chunks_(chunks) {}
    // Nullopt once what is left is too short for a chunk's header.
    std::optional<WebPChunk> next();

private:
    std::string_view chunks_;
    std::size_t offset_ = 0;
};

// The chunks libwebp decodes a still image or a frame from: the first image chunk ("VP8 " or "VP8L")
// and the alpha planes ahead of it.
struct WebPImageChunks {
    std::optional<WebPChunk> image;
    std::vector<std::string_view> alphaPlanes;
};
WebPImageChunks imageChunks(std::string_view chunks);

// `count` bytes (at most 4) at `offset`, the first one lowest; the caller keeps them within `bytes`.
std::uint32_t littleEndian(std::string_view bytes, std::size_t offset, int count);

} // namespace glimmo::decoding
