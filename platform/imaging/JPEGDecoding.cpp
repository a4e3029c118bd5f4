#include "platform/imaging/DecoderFormats.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace glimmo::decoding {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: we jump back into
// readJPEG. Only libjpeg's own C frames lie between the setjmp and the jump.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jumpBuffer;
    char message[JMSG_LENGTH_MAX] = {};
};

void exitWithError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jumpBuffer, 1);
}

// Warnings about recoverable damage are not printed; the decoder goes on as far as it can.
void ignoreMessage(j_common_ptr) {}

enum class ReadOutcome { decoded, failed, tooLarge };

struct HeaderSize {
    long long width = 0;
    long long height = 0;
};

// Adobe CMYK files store the channels inverted; others store plain CMYK.
void convertCMYKRow(std::uint8_t* row, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x) {
        std::uint8_t* pixel = row + static_cast<std::size_t>(x) * 4;
        const int k = inverted ? pixel[3] : 255 - pixel[3];
        for (int channel = 0; channel < 3; ++channel) {
            const int ink = inverted ? pixel[channel] : 255 - pixel[channel];
            pixel[channel] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
        pixel[3] = 255;
    }
}

// Kept free of objects with destructors because of the longjmp; `image` lives in the caller.
ReadOutcome readJPEG(std::string_view bytes, const ImageDecodingLimits& limits, ErrorManager& errors,
                     HeaderSize& size, DecodedImage& image) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = exitWithError;
    errors.base.output_message = ignoreMessage;
    if (setjmp(errors.jumpBuffer) != 0) {
        jpeg_destroy_decompress(&info);
        return ReadOutcome::failed;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    size.width = info.image_width;
    size.height = info.image_height;
    // Before jpeg_start_decompress, which allocates the buffers that grow with the image.
    if (size.width <= 0 || size.height <= 0 || !fitsLimits(size.width, size.height, limits)) {
        jpeg_destroy_decompress(&info);
        return ReadOutcome::tooLarge;
    }
    try {
        admitPixelBytes(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) * 4, limits);
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
    const bool isCMYK = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = isCMYK ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * 4;
    image.rgba.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPLE* row = image.rgba.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
        if (isCMYK) convertCMYKRow(row, info.output_width, info.saw_Adobe_marker != 0);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return ReadOutcome::decoded;
}

} // namespace

DecodedImage decodeJPEG(std::string_view bytes, const ImageDecodingLimits& limits) {
    ErrorManager errors;
    HeaderSize size;
    DecodedImage image;
    switch (readJPEG(bytes, limits, errors, size, image)) {
    case ReadOutcome::decoded: return image;
    case ReadOutcome::tooLarge:
        checkedPixelBytes(size.width, size.height, limits, "JPEG");  // throws with the details
        throwMalformed("JPEG", "unexpected size");
    case ReadOutcome::failed: break;
    }
    throwMalformed("JPEG", errors.message);
}

} // namespace glimmo::decoding
