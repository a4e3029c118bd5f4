#include "platform/imaging/DecoderFormats.h"
#include "platform/imaging/DecodingWork.h"
#include "platform/imaging/LosslessBitReader.h"
#include "platform/imaging/LosslessWebPHead.h"
#include "platform/imaging/WebPChunks.h"
#include "platform/imaging/WebPFirstFrame.h"
#include "platform/imaging/WebPRows.h"

#include <algorithm>
#include <vector>

#include <webp/decode.h>

namespace glimmo::decoding {

namespace {

WebPBitstreamFeatures featuresOf(std::string_view bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &features) != VP8_STATUS_OK) {
        throwMalformed("WebP", "the header cannot be read");
    }
    return features;
}

// The decode's bounds, which reading ahead of libwebp is held to as libwebp is.
struct DecodeBounds {
    DecodingWork& work;
    const ImageDecodingLimits& limits;
};

// What libwebp allocates for the groups of prefix codes and the leading images of a lossless bitstream
// (a lossless image's, or an alpha plane's without its header) of the image's size.
std::size_t losslessTablesBytes(std::string_view stream, const WebPBitstreamFeatures& features, const DecodeBounds& bounds) {
    return readLosslessWebPHead(stream, features.width, features.height, bounds.work, bounds.limits).workspaceBytes();
}

// A lossless image's chunk starts with a signature and the image's size, which must be the one libwebp
// gave for the image.
std::size_t losslessImageTablesBytes(std::string_view chunk, const WebPBitstreamFeatures& features,
                                     const DecodeBounds& bounds) {
    constexpr std::size_t headerSize = 5;
    LosslessBitReader header(chunk);
    const bool sized = header.read(8) == 0x2f && static_cast<int>(header.read(14)) + 1 == features.width &&
                       static_cast<int>(header.read(14)) + 1 == features.height;
    if (!sized) throwMalformed("WebP", "the lossless data does not match the header");
    return losslessTablesBytes(chunk.substr(headerSize), features, bounds);
}

// The largest a compressed alpha plane makes libwebp allocate for its tables: which of several it decodes
// is libwebp's to choose. An alpha plane's first byte says how it is compressed; 1 is lossless.
std::size_t alphaTablesBytes(const std::vector<std::string_view>& alphaPlanes, const WebPBitstreamFeatures& features,
                             const DecodeBounds& bounds) {
    std::size_t most = 0;
    for (const std::string_view plane : alphaPlanes) {
        if (!plane.empty() && (static_cast<std::uint8_t>(plane[0]) & 3) == 1) {
            most = std::max(most, losslessTablesBytes(plane.substr(1), features, bounds));
        }
    }
    return most;
}

// What libwebp allocates besides the output while it decodes the image in `chunks`: a lossless image is
// decoded whole in its own form, four bytes a pixel, before it is converted, besides the tables of its
// prefix codes; a lossy one with transparency keeps its alpha plane whole, and that plane's lossless
// decoder its own copy and tables. A lossy image without transparency needs a few rows only.
std::size_t workspaceBytes(std::string_view chunks, const WebPBitstreamFeatures& features, const DecodeBounds& bounds) {
    const auto pixels = static_cast<std::size_t>(features.width) * static_cast<std::size_t>(features.height);
    const WebPImageChunks found = imageChunks(chunks);
    if (features.format == 2) {
        if (!found.image || found.image->type != "VP8L") throwMalformed("WebP", "the lossless data cannot be found");
        return pixels * 4 + losslessImageTablesBytes(found.image->payload, features, bounds);
    }
    return features.has_alpha ? pixels * 5 + alphaTablesBytes(found.alphaPlanes, features, bounds) : 0;
}

} // namespace

// A still image fills the canvas; an animation shows its first frame where it lies on a clear canvas
// (blending onto a clear canvas leaves the frame as it is). Later frames are never read.
DecodedImage decodeWebP(std::string_view bytes, const ImageDecodingLimits& limits) {
    DecodingWork work(limits, "WebP");
    const WebPBitstreamFeatures features = featuresOf(bytes);
    const std::size_t byteCount = checkedPixelBytes(features.width, features.height, limits, "WebP");
    WebPFrame frame{0, 0, features.width, features.height, bytes};
    if (features.has_animation) {
        const auto first = firstAnimationFrame(bytes);
        if (!first) throwMalformed("WebP", "the animation has no frame");
        frame = *first;
    }
    const WebPBitstreamFeatures frameFeatures = features.has_animation ? featuresOf(frame.bitstream) : features;
    if (frameFeatures.width != frame.width || frameFeatures.height != frame.height ||
        frame.left + frame.width > features.width || frame.top + frame.height > features.height) {
        throwMalformed("WebP", "the frame does not fit the canvas");
    }
    admitPixelBytes(byteCount, limits);
    // A still file's chunks follow its header; a frame's bitstream is its chunks.
    const std::size_t workspace =
        workspaceBytes(features.has_animation ? frame.bitstream : chunksOfFile(bytes), frameFeatures, {work, limits});
    admitWorkspaceBytes(workspace, limits);
    DecodedImage image;
    image.width = features.width;
    image.height = features.height;
    image.rgba.resize(byteCount);
    const std::size_t stride = static_cast<std::size_t>(features.width) * 4;
    decodeWebPRows(frame.bitstream, {frameFeatures.width, frameFeatures.height,
                                     image.rgba.data() + static_cast<std::size_t>(frame.top) * stride + static_cast<std::size_t>(frame.left) * 4,
                                     stride},
                   work);
    return image;
}

} // namespace glimmo::decoding
