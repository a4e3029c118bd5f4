#include "platform/imaging/DecoderFormats.h"

#include <png.h>

namespace glimmo::decoding {

namespace {

// Frees libpng's read state on every path out of the decoder.
class PNGImageReader {
public:
    PNGImageReader() {
        image_.version = PNG_IMAGE_VERSION;
    }
    ~PNGImageReader() { png_image_free(&image_); }
    PNGImageReader(const PNGImageReader&) = delete;
    PNGImageReader& operator=(const PNGImageReader&) = delete;

    png_image& image() { return image_; }

private:
    png_image image_{};
};

} // namespace

DecodedImage decodePNG(std::string_view bytes, const ImageDecodingLimits& limits) {
    PNGImageReader reader;
    png_image& header = reader.image();
    if (png_image_begin_read_from_memory(&header, bytes.data(), bytes.size()) == 0) {
        throwMalformed("PNG", header.message);
    }
    const std::size_t byteCount = checkedPixelBytes(header.width, header.height, limits, "PNG");
    admitPixelBytes(byteCount, limits);
    header.format = PNG_FORMAT_RGBA;
    DecodedImage image;
    image.width = static_cast<int>(header.width);
    image.height = static_cast<int>(header.height);
    image.rgba.resize(byteCount);
    if (png_image_finish_read(&header, nullptr, image.rgba.data(), 0, nullptr) == 0) {
        throwMalformed("PNG", header.message);
    }
    return image;
}

} // namespace glimmo::decoding
