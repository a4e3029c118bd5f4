#include "platform/imaging/JPEGEncoding.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace glimmo {

JPEGEncodingError::JPEGEncodingError(Kind kind, std::string message)
    : std::runtime_error(std::move(message)), kind_(kind) {}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. We jump back to the
// encoding function; nothing with a destructor lives between setjmp and the jump.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jumpBuffer;
    int messageCode = 0;
    char message[JMSG_LENGTH_MAX] = {};
};

void exitWithError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->messageCode = manager->base.msg_code;
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jumpBuffer, 1);
}

void ignoreMessage(j_common_ptr) {}

struct CompressResult {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

// Returns false after a libjpeg error; the manager then holds its message. Kept free of C++ objects
// with destructors because of the longjmp.
bool compress(const DecodedImage& image, int quality, ErrorManager& errors, CompressResult& result) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = exitWithError;
    errors.base.output_message = ignoreMessage;
    if (setjmp(errors.jumpBuffer) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &result.buffer, &result.size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_RGBA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const auto stride = static_cast<std::size_t>(image.width) * 4;
    while (info.next_scanline < info.image_height) {
        // libjpeg takes a non-const row pointer but only reads from it.
        auto* row = const_cast<JSAMPLE*>(image.rgba.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

std::vector<std::uint8_t> encodeJPEG(const DecodedImage& image, double quality) {
    if (!image.isValid()) {
        throw JPEGEncodingError(JPEGEncodingError::Kind::invalidImage,
                                "The image has no pixels or its buffer does not match its size.");
    }
    const double clamped = std::isnan(quality) ? 0.0 : std::clamp(quality, 0.0, 1.0);
    const int libjpegQuality = static_cast<int>(std::lround(clamped * 100));

    ErrorManager errors;
    CompressResult result;
    const bool succeeded = compress(image, libjpegQuality, errors, result);
    // jpeg_mem_dest allocates with malloc; we own the buffer from here on.
    const std::unique_ptr<unsigned char, decltype(&std::free)> owned(result.buffer, &std::free);
    if (!succeeded) {
        const auto kind = errors.messageCode == JERR_OUT_OF_MEMORY ? JPEGEncodingError::Kind::outOfMemory
                                                                   : JPEGEncodingError::Kind::encoderFailed;
        throw JPEGEncodingError(kind, errors.message);
    }
    if (result.size == 0) {
        throw JPEGEncodingError(JPEGEncodingError::Kind::encoderFailed, "The encoder produced no bytes.");
    }
    return std::vector<std::uint8_t>(result.buffer, result.buffer + result.size);
}

} // namespace glimmo
