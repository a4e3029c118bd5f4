#include "platform/imaging/DecoderFormats.h"

#include <cstring>
#include <memory>

#include <webp/decode.h>
#include <webp/demux.h>

namespace glimmo::decoding {

namespace {

struct AnimationDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// An animated file: the first frame as composed on the canvas.
DecodedImage decodeFirstAnimationFrame(std::string_view bytes, std::size_t byteCount, int width, int height) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) throwMalformed("WebP", "the decoder cannot be set up");
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    const std::unique_ptr<WebPAnimDecoder, AnimationDecoderDeleter> decoder(WebPAnimDecoderNew(&data, &options));
    if (!decoder) throwMalformed("WebP", "the animation cannot be read");
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(decoder.get(), &info) || static_cast<int>(info.canvas_width) != width ||
        static_cast<int>(info.canvas_height) != height) {
        throwMalformed("WebP", "the animation canvas does not match the header");
    }
    std::uint8_t* frame = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp) || frame == nullptr) {
        throwMalformed("WebP", "the first frame cannot be decoded");
    }
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.rgba.assign(frame, frame + byteCount);
    return image;
}

} // namespace

DecodedImage decodeWebP(std::string_view bytes, const ImageDecodingLimits& limits) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, bytes.size(), &features) != VP8_STATUS_OK) {
        throwMalformed("WebP", "the header cannot be read");
    }
    const std::size_t byteCount = checkedPixelBytes(features.width, features.height, limits, "WebP");
    admitPixelBytes(byteCount, limits);
    if (features.has_animation) return decodeFirstAnimationFrame(bytes, byteCount, features.width, features.height);

    DecodedImage image;
    image.width = features.width;
    image.height = features.height;
    image.rgba.resize(byteCount);
    const int stride = features.width * 4;
    if (WebPDecodeRGBAInto(data, bytes.size(), image.rgba.data(), image.rgba.size(), stride) == nullptr) {
        throwMalformed("WebP", "the image data cannot be decoded");
    }
    return image;
}

} // namespace glimmo::decoding
