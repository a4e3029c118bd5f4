#include "platform/imaging/DecoderFormats.h"
#include "platform/imaging/DecodingWork.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace glimmo::decoding {

namespace {

struct GIFMemorySource {
    std::string_view bytes;
    std::size_t offset = 0;
};

int readFromMemory(GifFileType* file, GifByteType* buffer, int wanted) {
    auto* source = static_cast<GIFMemorySource*>(file->UserData);
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(wanted, 0)), source->bytes.size() - source->offset);
    std::memcpy(buffer, source->bytes.data() + source->offset, count);
    source->offset += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* file) const {
        int error = 0;
        DGifCloseFile(file, &error);
    }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void throwGifError(int code) {
    const char* text = GifErrorString(code);
    throwMalformed("GIF", text ? text : "unknown error");
}

// The transparent colour index of a graphic control extension, or -1.
int transparentIndex(const GifByteType* extension) {
    if (extension == nullptr || extension[0] < 4) return -1;
    return (extension[1] & 0x01) != 0 ? extension[4] : -1;
}

// Line by line, straight onto the canvas: only the first frame is read, and none is kept whole.
void drawFrame(GifFileType* file, int transparent, DecodedImage& canvas, const ImageDecodingLimits& limits,
               DecodingWork& work) {
    const GifImageDesc& frame = file->Image;
    const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : file->SColorMap;
    if (colours == nullptr) throwMalformed("GIF", "the frame has no colour table");
    checkedPixelBytes(frame.Width, frame.Height, limits, "GIF");
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));

    const auto drawLine = [&](int row) {
        const int y = frame.Top + row;
        if (y < 0 || y >= canvas.height) return;
        for (int column = 0; column < frame.Width; ++column) {
            const int x = frame.Left + column;
            const int index = line[static_cast<std::size_t>(column)];
            if (x < 0 || x >= canvas.width || index == transparent || index >= colours->ColorCount) continue;
            const GifColorType& colour = colours->Colors[index];
            std::uint8_t* pixel = canvas.rgba.data() + (static_cast<std::size_t>(y) * canvas.width + x) * 4;
            pixel[0] = colour.Red;
            pixel[1] = colour.Green;
            pixel[2] = colour.Blue;
            pixel[3] = 255;
        }
    };
    const auto readLine = [&](int row) {
        work.add(frame.Width);
        if (DGifGetLine(file, line.data(), frame.Width) == GIF_ERROR) throwGifError(file->Error);
        drawLine(row);
    };

    if (frame.Interlace) {
        constexpr int firstRow[] = {0, 4, 2, 1};
        constexpr int rowStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = firstRow[pass]; row < frame.Height; row += rowStep[pass]) readLine(row);
        }
    } else {
        for (int row = 0; row < frame.Height; ++row) readLine(row);
    }
}

} // namespace

DecodedImage decodeGIF(std::string_view bytes, const ImageDecodingLimits& limits) {
    GIFMemorySource source{bytes};
    DecodingWork work(limits, "GIF");
    int openError = 0;
    const GifFile file(DGifOpen(&source, readFromMemory, &openError));
    if (!file) throwGifError(openError);

    int transparent = -1;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(file.get(), &record) == GIF_ERROR) throwGifError(file->Error);
        if (record == TERMINATE_RECORD_TYPE) throwMalformed("GIF", "the file holds no image");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(file.get(), &code, &extension) == GIF_ERROR) throwGifError(file->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE) transparent = transparentIndex(extension);
            while (extension != nullptr) {
                if (DGifGetExtensionNext(file.get(), &extension) == GIF_ERROR) throwGifError(file->Error);
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(file.get()) == GIF_ERROR) throwGifError(file->Error);
        // The logical screen is the canvas; a file that declares none shows its first frame alone.
        const GifImageDesc& frame = file->Image;
        const bool hasScreen = file->SWidth > 0 && file->SHeight > 0;
        DecodedImage canvas;
        canvas.width = hasScreen ? file->SWidth : frame.Left + frame.Width;
        canvas.height = hasScreen ? file->SHeight : frame.Top + frame.Height;
        const std::size_t byteCount = checkedPixelBytes(canvas.width, canvas.height, limits, "GIF");
        admitPixelBytes(byteCount, limits);
        canvas.rgba.assign(byteCount, 0);
        drawFrame(file.get(), transparent, canvas, limits, work);
        return canvas;
    }
}

} // namespace glimmo::decoding
