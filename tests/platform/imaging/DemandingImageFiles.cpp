#include "tests/platform/imaging/DemandingImageFiles.h"

#include "tests/platform/imaging/TestImageFiles.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>

// The libraries' own error handlers end the process, which fails the test.

namespace glimmo::testing {

namespace {

// A row that changes every few bytes, so the encoders have something to say; every row of an image is
// this one.
std::vector<std::uint8_t> patternedRow(std::size_t bytes) {
    std::vector<std::uint8_t> row(bytes);
    for (std::size_t index = 0; index < bytes; ++index) row[index] = static_cast<std::uint8_t>(index / 97 * 13);
    return row;
}

// Every component at full resolution, every row `row`.
std::string writeJPEG(int width, int height, J_COLOR_SPACE space, bool progressive, std::vector<JSAMPLE> row) {
    jpeg_error_mgr errors;
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    const std::unique_ptr<jpeg_compress_struct, void (*)(j_compress_ptr)> destroyed(&info, jpeg_destroy_compress);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    for (int index = 0; index < info.num_components; ++index) info.comp_info[index].h_samp_factor = info.comp_info[index].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    JSAMPROW line = row.data();
    while (info.next_scanline < info.image_height) jpeg_write_scanlines(&info, &line, 1);
    jpeg_finish_compress(&info);
    const std::unique_ptr<unsigned char, void (*)(void*)> freed(buffer, std::free);
    return {reinterpret_cast<const char*>(buffer), size};
}

} // namespace

std::string largeJPEG(int width, int height, bool progressive, bool cmyk) {
    return writeJPEG(width, height, cmyk ? JCS_CMYK : JCS_RGB, progressive,
                     patternedRow(static_cast<std::size_t>(width) * (cmyk ? 4 : 3)));
}

std::string manyScanJPEG(int width, int height, int scans) {
    std::string bytes = writeJPEG(width, height, JCS_GRAYSCALE, true, std::vector<JSAMPLE>(static_cast<std::size_t>(width), 128));
    // Of a flat image the last scan, a refinement of every block, is one run of empty blocks: read again
    // it changes nothing, yet passes over the image again.
    int written = 0;
    for (auto at = bytes.find("\xff\xda"); at != std::string::npos; at = bytes.find("\xff\xda", at + 2)) ++written;
    const std::size_t last = bytes.rfind("\xff\xda");
    const std::size_t end = bytes.rfind("\xff\xd9");
    check(written > 0 && written <= scans && last < end && end != std::string::npos, "JPEG scans");
    std::string repeated;
    for (int extra = written; extra < scans; ++extra) repeated += bytes.substr(last, end - last);
    return bytes.insert(end, repeated);
}

std::string largePNG(int width, int height, int bitDepth, bool interlaced) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const auto append = [](png_structp png, png_bytep data, png_size_t length) {
        static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
    };
    png_set_write_fn(png, &bytes, append, [](png_structp) {});
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 PNG_COLOR_TYPE_RGB_ALPHA, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    const std::vector<std::uint8_t> row = patternedRow(static_cast<std::size_t>(width) * 4 * bitDepth / 8);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

std::string largeGIF(int width, int height, int frames, bool interlaced) {
    const GifFrame frame{0, 0, width, height, patternedRow(static_cast<std::size_t>(width) * height), -1, interlaced};
    return encodeGIF(width, height, std::vector<std::uint8_t>(3 * 256), std::vector<GifFrame>(static_cast<std::size_t>(frames), frame));
}

namespace {

// From ARGB, which the encoder turns into YUV for lossy coding, with an alpha plane when some pixel is not
// opaque.
std::string encodeARGB(int width, int height, bool lossless, const std::function<std::uint32_t(int x, int y)>& argb) {
    WebPConfig config;
    check(WebPConfigInit(&config) != 0, "WebP config");
    config.method = 0;
    config.lossless = lossless ? 1 : 0;
    config.quality = lossless ? 0 : 50;
    WebPPicture picture;
    check(WebPPictureInit(&picture) != 0, "WebP picture");
    picture.width = width;
    picture.height = height;
    picture.use_argb = 1;
    check(WebPPictureAlloc(&picture) != 0, "WebP picture memory");
    const std::unique_ptr<WebPPicture, void (*)(WebPPicture*)> freed(&picture, WebPPictureFree);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) picture.argb[static_cast<std::size_t>(y) * picture.argb_stride + x] = argb(x, y);
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool encoded = WebPEncode(&config, &picture) != 0;
    std::string bytes(reinterpret_cast<const char*>(writer.mem), writer.size);
    WebPMemoryWriterClear(&writer);
    check(encoded, "WebP encoding failed");
    return bytes;
}

} // namespace

std::string largeWebP(int width, int height, WebPKind kind) {
    const std::uint32_t opaque = kind == WebPKind::lossyWithAlpha ? 0 : 0xff000000u;
    return encodeARGB(width, height, kind == WebPKind::lossless,
                      [opaque](int x, int) { return opaque | static_cast<std::uint32_t>(x / 24) * 0x01030507u; });
}

std::string noisyWebP(int width, int height) {
    return encodeARGB(width, height, false, [](int x, int y) {
        const auto position = static_cast<std::uint32_t>(y) * 65599u + static_cast<std::uint32_t>(x);
        return 0xff000000u | ((position * 2654435761u) >> 8);
    });
}

std::string animatedWebP(int width, int height, const std::vector<AnimationFrame>& frames) {
    const std::unique_ptr<WebPMux, void (*)(WebPMux*)> mux(WebPMuxNew(), WebPMuxDelete);
    const WebPMuxAnimParams animation{0, 0};
    bool ok = WebPMuxSetAnimationParams(mux.get(), &animation) == WEBP_MUX_OK &&
              WebPMuxSetCanvasSize(mux.get(), width, height) == WEBP_MUX_OK;
    for (const AnimationFrame& frame : frames) {
        const WebPData data{reinterpret_cast<const std::uint8_t*>(frame.file.data()), frame.file.size()};
        const WebPMuxFrameInfo info{data, frame.left, frame.top, 100, WEBP_CHUNK_ANMF, WEBP_MUX_DISPOSE_NONE, WEBP_MUX_NO_BLEND, {0}};
        ok = ok && WebPMuxPushFrame(mux.get(), &info, 1) == WEBP_MUX_OK;
    }
    WebPData assembled;
    WebPDataInit(&assembled);
    ok = ok && WebPMuxAssemble(mux.get(), &assembled) == WEBP_MUX_OK;
    std::string bytes(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
    WebPDataClear(&assembled);
    check(ok, "WebP animation");
    return bytes;
}

std::string animatedWebPOfTinyFrames(int width, int height) {
    const std::string pixel = encodeWebP(DecodedImage{1, 1, 1, {200, 100, 50, 255}});
    return animatedWebP(width, height, {{pixel, 2, 2}, {pixel, 0, 0}});
}

} // namespace glimmo::testing
