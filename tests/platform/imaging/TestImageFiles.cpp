#include "tests/platform/imaging/TestImageFiles.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include <gif_lib.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

namespace glimmo::testing {

DecodedImage patternImage(int width, int height, bool withAlpha) {
    DecodedImage image{width, height, 1, {}};
    image.rgba.reserve(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto alpha = static_cast<std::uint8_t>(withAlpha ? (x * 37 + y * 11) % 256 : 255);
            image.rgba.insert(image.rgba.end(), {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 13),
                                                 static_cast<std::uint8_t>((x + y) * 3), alpha});
        }
    }
    return image;
}

namespace {

std::string writePNG(const void* pixels, int width, int height, png_uint_32 format) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr)) {
        throw std::runtime_error(image.message);
    }
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, nullptr)) {
        throw std::runtime_error(image.message);
    }
    bytes.resize(size);
    return bytes;
}

void appendBigEndian(std::string& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>((value >> shift) & 0xff));
}

void appendChunk(std::string& bytes, const char* type, const std::string& data) {
    appendBigEndian(bytes, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    bytes += typed;
    appendBigEndian(bytes, static_cast<std::uint32_t>(
                               crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

int appendToString(GifFileType* file, const GifByteType* data, int length) {
    static_cast<std::string*>(file->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

} // namespace

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

std::string encodePNG(const DecodedImage& image) {
    return writePNG(image.rgba.data(), image.width, image.height, PNG_FORMAT_RGBA);
}

std::string encodeGreyPNG(int width, int height, std::uint8_t grey) {
    const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height, grey);
    return writePNG(pixels.data(), width, height, PNG_FORMAT_GRAY);
}

std::string encodeWebP(const DecodedImage& image) {
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(image.rgba.data(), image.width, image.height, image.width * 4, &output);
    check(size > 0, "WebP encoding failed");
    std::string bytes(reinterpret_cast<const char*>(output), size);
    WebPFree(output);
    return bytes;
}

std::string encodeAnimatedWebP(const std::vector<DecodedImage>& frames) {
    WebPAnimEncoderOptions options;
    check(WebPAnimEncoderOptionsInit(&options) != 0, "animation options");
    const int width = frames.front().width;
    const int height = frames.front().height;
    const std::unique_ptr<WebPAnimEncoder, void (*)(WebPAnimEncoder*)> encoder(
        WebPAnimEncoderNew(width, height, &options), WebPAnimEncoderDelete);
    check(encoder != nullptr, "animation encoder");
    WebPConfig config;
    check(WebPConfigInit(&config) != 0, "WebP config");
    config.lossless = 1;
    int timestamp = 0;
    for (const DecodedImage& frame : frames) {
        WebPPicture picture;
        check(WebPPictureInit(&picture) != 0, "WebP picture");
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        check(WebPPictureImportRGBA(&picture, frame.rgba.data(), width * 4) != 0, "WebP import");
        const bool added = WebPAnimEncoderAdd(encoder.get(), &picture, timestamp, &config) != 0;
        WebPPictureFree(&picture);
        check(added, "WebP frame");
        timestamp += 100;
    }
    check(WebPAnimEncoderAdd(encoder.get(), nullptr, timestamp, nullptr) != 0, "WebP end");
    WebPData data;
    WebPDataInit(&data);
    check(WebPAnimEncoderAssemble(encoder.get(), &data) != 0, "WebP assemble");
    std::string bytes(reinterpret_cast<const char*>(data.bytes), data.size);
    WebPDataClear(&data);
    return bytes;
}

std::string encodeGIF(int screenWidth, int screenHeight, const std::vector<std::uint8_t>& palette,
                      const std::vector<GifFrame>& frames) {
    std::string bytes;
    int error = 0;
    GifFileType* file = EGifOpen(&bytes, appendToString, &error);
    check(file != nullptr, "GIF open");
    const int colourCount = static_cast<int>(palette.size() / 3);
    std::vector<GifColorType> colours(static_cast<std::size_t>(colourCount));
    std::memcpy(colours.data(), palette.data(), palette.size());
    ColorMapObject* map = GifMakeMapObject(colourCount, colours.data());
    EGifSetGifVersion(file, true);
    bool ok = EGifPutScreenDesc(file, screenWidth, screenHeight, 8, 0, map) != GIF_ERROR;
    for (const GifFrame& frame : frames) {
        if (ok && frame.transparentIndex >= 0) {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 10, frame.transparentIndex};
            GifByteType extension[4];
            const std::size_t length = EGifGCBToExtension(&control, extension);
            ok = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_ERROR;
        }
        ok = ok && EGifPutImageDesc(file, frame.left, frame.top, frame.width, frame.height, frame.interlaced, nullptr) != GIF_ERROR;
        // An interlaced frame is written in pass order.
        std::vector<int> rows;
        if (frame.interlaced) {
            for (const auto& [first, step] : {std::pair{0, 8}, std::pair{4, 8}, std::pair{2, 4}, std::pair{1, 2}}) {
                for (int row = first; row < frame.height; row += step) rows.push_back(row);
            }
        } else {
            for (int row = 0; row < frame.height; ++row) rows.push_back(row);
        }
        for (const int row : rows) {
            auto* line = const_cast<GifPixelType*>(frame.indices.data() + static_cast<std::size_t>(row) * frame.width);
            ok = ok && EGifPutLine(file, line, frame.width) != GIF_ERROR;
        }
    }
    ok = EGifCloseFile(file, &error) != GIF_ERROR && ok;
    GifFreeMapObject(map);
    check(ok, "GIF encoding failed");
    return bytes;
}

std::string pngHeaderClaiming(std::uint32_t width, std::uint32_t height) {
    std::string bytes = "\x89PNG\r\n\x1a\n";
    std::string header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, no interlace
    appendChunk(bytes, "IHDR", header);
    appendChunk(bytes, "IDAT", "");
    appendChunk(bytes, "IEND", "");
    return bytes;
}

std::string pngWithCompressedText(int chunks) {
    const std::vector<Bytef> text(7'900'000, 'x');
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string deflated(size, '\0');
    check(compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, text.data(), static_cast<uLong>(text.size()), 9) == Z_OK, "zlib");
    std::string chunk;
    // The keyword, its end and zlib's method, then the text.
    appendChunk(chunk, "zTXt", std::string("Comment\0\0", 9) + deflated.substr(0, size));
    std::string bytes = encodeGreyPNG(1, 1, 0);
    for (int index = 0; index < chunks; ++index) bytes.insert(8 + 25, chunk);  // after the signature and IHDR
    return bytes;
}

std::string webpHeaderClaiming(std::uint32_t width, std::uint32_t height) {
    // A lossless bitstream's header: signature, then width - 1 and height - 1 in 14 bits each.
    const std::uint32_t sizeBits = ((width - 1) & 0x3fff) | (((height - 1) & 0x3fff) << 14);
    std::string chunk = "VP8L";
    chunk += std::string("\x06\0\0\0\x2f", 5);
    for (int shift = 0; shift < 32; shift += 8) chunk += static_cast<char>((sizeBits >> shift) & 0xff);
    chunk += '\0';
    std::string bytes = "RIFF";
    const auto riffSize = static_cast<std::uint32_t>(4 + chunk.size());
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((riffSize >> shift) & 0xff);
    return bytes + "WEBP" + chunk;
}

} // namespace glimmo::testing
