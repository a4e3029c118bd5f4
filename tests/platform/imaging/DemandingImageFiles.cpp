#include "tests/platform/imaging/DemandingImageFiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

namespace glimmo::testing {

namespace {

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

// Four kinds of row, in bands of 256 rows, so the encoders have something to say; each is made once.
class BandedRows {
public:
    BandedRows(int width, int channels, int bytesPerSample) {
        for (int band = 0; band < 4; ++band) {
            std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * channels * bytesPerSample);
            for (std::size_t index = 0; index < row.size(); ++index) {
                row[index] = static_cast<std::uint8_t>((index / 97 + static_cast<std::size_t>(band) * 61) * 13);
            }
            rows_.push_back(std::move(row));
        }
    }
    std::uint8_t* row(int y) { return rows_[static_cast<std::size_t>(y / 256 % 4)].data(); }

private:
    std::vector<std::vector<std::uint8_t>> rows_;
};

// A JPEG compressor into memory, at its defaults for an image of that size and colour space until the
// caller changes them. libjpeg's own error handler ends the process, which fails the test.
class JPEGWriter {
public:
    JPEGWriter(int width, int height, int components, J_COLOR_SPACE space) {
        info_.err = jpeg_std_error(&errors_);
        jpeg_create_compress(&info_);
        jpeg_mem_dest(&info_, &buffer_, &size_);
        info_.image_width = static_cast<JDIMENSION>(width);
        info_.image_height = static_cast<JDIMENSION>(height);
        info_.input_components = components;
        info_.in_color_space = space;
        jpeg_set_defaults(&info_);
    }
    ~JPEGWriter() {
        jpeg_destroy_compress(&info_);
        std::free(buffer_);
    }
    JPEGWriter(const JPEGWriter&) = delete;
    JPEGWriter& operator=(const JPEGWriter&) = delete;

    // The file of the rows `row(y)` gives, top to bottom.
    template <class Row>
    std::string write(Row&& row) {
        jpeg_start_compress(&info_, TRUE);
        while (info_.next_scanline < info_.image_height) {
            JSAMPROW line = row(static_cast<int>(info_.next_scanline));
            jpeg_write_scanlines(&info_, &line, 1);
        }
        jpeg_finish_compress(&info_);
        return {reinterpret_cast<const char*>(buffer_), size_};
    }

    // For settings beyond the defaults, before write().
    jpeg_compress_struct& info() { return info_; }

private:
    jpeg_compress_struct info_;
    jpeg_error_mgr errors_;
    unsigned char* buffer_ = nullptr;
    unsigned long size_ = 0;
};

void appendPNG(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

int appendGIF(GifFileType* file, const GifByteType* data, int length) {
    static_cast<std::string*>(file->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

std::string encodeWebP(const WebPConfig& config, WebPPicture& picture) {
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool encoded = WebPEncode(&config, &picture) != 0;
    std::string bytes(reinterpret_cast<const char*>(writer.mem), writer.size);
    WebPMemoryWriterClear(&writer);
    WebPPictureFree(&picture);
    check(encoded, "WebP encoding failed");
    return bytes;
}

} // namespace

std::string largeJPEG(int width, int height, bool progressive, bool cmyk) {
    BandedRows rows(width, cmyk ? 4 : 3, 1);
    JPEGWriter writer(width, height, cmyk ? 4 : 3, cmyk ? JCS_CMYK : JCS_RGB);
    jpeg_set_quality(&writer.info(), 80, TRUE);
    for (int index = 0; index < writer.info().num_components; ++index) {
        writer.info().comp_info[index].h_samp_factor = 1;
        writer.info().comp_info[index].v_samp_factor = 1;
    }
    if (progressive) jpeg_simple_progression(&writer.info());
    return writer.write([&rows](int y) { return rows.row(y); });
}

// libpng's own error handler aborts when no jump is set, which fails the test.
std::string largePNG(int width, int height, int bitDepth, bool interlaced) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &bytes, appendPNG, flushNothing);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 PNG_COLOR_TYPE_RGB_ALPHA, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    BandedRows rows(width, 4, bitDepth / 8);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) png_write_row(png, rows.row(y));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

std::string largeGIF(int width, int height, int frames, bool interlaced) {
    std::string bytes;
    int error = 0;
    GifFileType* file = EGifOpen(&bytes, appendGIF, &error);
    check(file != nullptr, "GIF open");
    std::vector<GifColorType> colours(256);
    for (int index = 0; index < 256; ++index) {
        const auto level = static_cast<GifByteType>(index);
        colours[static_cast<std::size_t>(index)] = GifColorType{level, static_cast<GifByteType>(255 - level), level};
    }
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    BandedRows rows(width, 1, 1);
    bool ok = EGifPutScreenDesc(file, width, height, 8, 0, map) != GIF_ERROR;
    for (int frame = 0; frame < frames; ++frame) {
        ok = ok && EGifPutImageDesc(file, 0, 0, width, height, interlaced, nullptr) != GIF_ERROR;
        // An interlaced frame is written in pass order.
        const std::vector<std::pair<int, int>> passes =
            interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}} : std::vector<std::pair<int, int>>{{0, 1}};
        for (const auto& [first, step] : passes) {
            for (int y = first; y < height && ok; y += step) ok = EGifPutLine(file, rows.row(y + frame * 256), width) != GIF_ERROR;
        }
    }
    ok = EGifCloseFile(file, &error) != GIF_ERROR && ok;
    GifFreeMapObject(map);
    check(ok, "GIF encoding failed");
    return bytes;
}

std::string largeWebP(int width, int height, WebPKind kind) {
    WebPConfig config;
    check(WebPConfigInit(&config) != 0, "WebP config");
    config.method = 0;
    config.quality = kind == WebPKind::lossless ? 0 : 50;
    config.lossless = kind == WebPKind::lossless ? 1 : 0;
    WebPPicture picture;
    check(WebPPictureInit(&picture) != 0, "WebP picture");
    picture.width = width;
    picture.height = height;
    picture.use_argb = kind == WebPKind::lossless ? 1 : 0;
    picture.colorspace = kind == WebPKind::lossyWithAlpha ? WEBP_YUV420A : WEBP_YUV420;
    check(WebPPictureAlloc(&picture) != 0, "WebP picture memory");
    BandedRows rows(width, 4, 1);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rows.row(y);
        if (picture.use_argb) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* pixel = row + static_cast<std::size_t>(x) * 4;
                picture.argb[static_cast<std::size_t>(y) * picture.argb_stride + x] =
                    0xff000000u | std::uint32_t{pixel[0]} << 16 | std::uint32_t{pixel[1]} << 8 | pixel[2];
            }
            continue;
        }
        std::copy(row, row + width, picture.y + static_cast<std::size_t>(y) * picture.y_stride);
        if (picture.a != nullptr) std::copy(row + width, row + 2 * width, picture.a + static_cast<std::size_t>(y) * picture.a_stride);
        if (y % 2 == 0) {
            std::copy(row + 2 * width, row + 2 * width + (width + 1) / 2, picture.u + static_cast<std::size_t>(y / 2) * picture.uv_stride);
            std::copy(row + 3 * width, row + 3 * width + (width + 1) / 2, picture.v + static_cast<std::size_t>(y / 2) * picture.uv_stride);
        }
    }
    return encodeWebP(config, picture);
}

std::string animatedWebPOfTinyFrames(int width, int height) {
    const std::uint8_t pixel[4] = {200, 100, 50, 255};
    std::uint8_t* encoded = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(pixel, 1, 1, 4, &encoded);
    check(size > 0, "WebP frame");
    const std::unique_ptr<WebPMux, void (*)(WebPMux*)> mux(WebPMuxNew(), WebPMuxDelete);
    bool ok = true;
    for (const int offset : {2, 0}) {
        const WebPMuxFrameInfo frame{{encoded, size}, offset, offset, 100, WEBP_CHUNK_ANMF, WEBP_MUX_DISPOSE_NONE,
                                     WEBP_MUX_NO_BLEND, {0}};
        ok = ok && WebPMuxPushFrame(mux.get(), &frame, 1) == WEBP_MUX_OK;
    }
    WebPFree(encoded);
    const WebPMuxAnimParams animation{0, 0};
    ok = ok && WebPMuxSetAnimationParams(mux.get(), &animation) == WEBP_MUX_OK &&
         WebPMuxSetCanvasSize(mux.get(), width, height) == WEBP_MUX_OK;
    WebPData assembled;
    WebPDataInit(&assembled);
    ok = ok && WebPMuxAssemble(mux.get(), &assembled) == WEBP_MUX_OK;
    std::string bytes(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
    WebPDataClear(&assembled);
    check(ok, "WebP animation");
    return bytes;
}

std::string pngWithCompressedText(int chunks) {
    std::string text = std::string("Comment", 8) + '\0';  // keyword, its end, zlib's method
    const std::vector<Bytef> inflated(7'900'000, 'x');
    uLongf size = compressBound(static_cast<uLong>(inflated.size()));
    std::vector<Bytef> deflated(size);
    check(compress2(deflated.data(), &size, inflated.data(), static_cast<uLong>(inflated.size()), 9) == Z_OK, "zlib");
    text.append(reinterpret_cast<const char*>(deflated.data()), size);
    const std::string typed = "zTXt" + text;
    std::string chunk;
    for (const std::uint32_t value : {static_cast<std::uint32_t>(text.size())}) {
        for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<char>((value >> shift) & 0xff));
    }
    chunk += typed;
    const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<char>((crc >> shift) & 0xff));
    std::string bytes = largePNG(1, 1, 8, false);
    const std::size_t afterHeader = 8 + 8 + 13 + 4;  // signature, then IHDR's length, type, data and CRC
    std::string all;
    for (int index = 0; index < chunks; ++index) all += chunk;
    return bytes.insert(afterHeader, all);
}

std::string manyScanJPEG(int width, int height, int scans) {
    JPEGWriter writer(width, height, 1, JCS_GRAYSCALE);
    jpeg_simple_progression(&writer.info());
    const int written = writer.info().num_scans;
    std::vector<JSAMPLE> flat(static_cast<std::size_t>(width), 128);
    std::string bytes = writer.write([&flat](int) { return flat.data(); });
    check(scans >= written, "fewer scans than the encoder writes");
    // Of a flat image the last scan, a refinement of every block, is one run of empty blocks: read again
    // it changes nothing, yet passes over the image again.
    const std::size_t last = bytes.rfind("\xff\xda");
    const std::size_t end = bytes.rfind("\xff\xd9");
    check(last != std::string::npos && end != std::string::npos && last < end, "JPEG scans");
    const std::string scan = bytes.substr(last, end - last);
    std::string repeated;
    for (int extra = written; extra < scans; ++extra) repeated += scan;
    return bytes.insert(end, repeated);
}

} // namespace glimmo::testing
