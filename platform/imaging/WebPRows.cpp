#include "platform/imaging/WebPRows.h"

#include "platform/imaging/DecoderFormats.h"

#include <algorithm>
#include <memory>

#include <webp/decode.h>

namespace glimmo::decoding {

namespace {

struct IncrementalDecoderDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

} // namespace

// libwebp is handed pieces of about 1,024 rows' worth of data, 64 KiB at least: each time a lossless
// image's data is cut short libwebp decodes again the last rows it had begun (up to 16), a cost that
// stays small beside a piece of that many rows. Until the first rows come out each piece doubles what
// was given, as libwebp reads a lossless image's head again from its start each time. libwebp reads the
// pieces where they lie, without copying them.
void decodeWebPRows(std::string_view bitstream, const WebPRowsTarget& target, DecodingWork& work) {
    const std::size_t size = target.stride * static_cast<std::size_t>(target.height - 1) + static_cast<std::size_t>(target.width) * 4;
    const std::unique_ptr<WebPIDecoder, IncrementalDecoderDeleter> decoder(
        WebPINewRGB(MODE_RGBA, target.firstRow, size, static_cast<int>(target.stride)));
    if (!decoder) throwMalformed("WebP", "the decoder cannot be set up");
    constexpr std::size_t firstPiece = 64 << 10;
    const std::size_t piece = std::max(firstPiece, bitstream.size() / static_cast<std::size_t>(target.height) * 1024);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bitstream.data());
    int rowsDone = 0;
    for (std::size_t given = std::min(firstPiece, bitstream.size());;) {
        const VP8StatusCode status = WebPIUpdate(decoder.get(), data, given);
        if (status != VP8_STATUS_OK && status != VP8_STATUS_SUSPENDED) throwMalformed("WebP", "the image data cannot be decoded");
        int lastRow = rowsDone;
        if (WebPIDecGetRGB(decoder.get(), &lastRow, nullptr, nullptr, nullptr) == nullptr) lastRow = rowsDone;
        work.add(static_cast<long long>(lastRow - rowsDone) * target.width);
        rowsDone = lastRow;
        if (status == VP8_STATUS_OK) return;
        if (given == bitstream.size()) throwMalformed("WebP", "the image data ends early");
        given += std::min(rowsDone == 0 ? given : piece, bitstream.size() - given);
    }
}

} // namespace glimmo::decoding
