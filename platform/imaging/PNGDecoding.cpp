#include "platform/imaging/DecoderFormats.h"
#include "platform/imaging/DecodingWork.h"

#include <csetjmp>
#include <cstring>

#include <png.h>

namespace glimmo::decoding {

namespace {

enum class ReadOutcome { decoded, failed, tooMuchWork };

struct PNGMemorySource {
    std::string_view bytes;
    std::size_t offset = 0;
    char failure[128] = {};
};

// libpng reports fatal errors through its error function, which must not return: we jump back into
// readPNG. Only libpng's own C frames lie between the setjmp and the jump.
void exitWithError(png_structp png, png_const_charp message) {
    auto* source = static_cast<PNGMemorySource*>(png_get_error_ptr(png));
    std::strncpy(source->failure, message, sizeof source->failure - 1);
    png_longjmp(png, 1);
}

// Warnings about recoverable damage are not printed; the decoder goes on as far as it can.
void ignoreWarning(png_structp, png_const_charp) {}

void readFromMemory(png_structp png, png_bytep buffer, png_size_t wanted) {
    auto* source = static_cast<PNGMemorySource*>(png_get_io_ptr(png));
    if (wanted > source->bytes.size() - source->offset) png_error(png, "the data ends early");
    std::memcpy(buffer, source->bytes.data() + source->offset, wanted);
    source->offset += wanted;
}

// Frees libpng's read state on every path out of the decoder.
class PNGReadState {
public:
    explicit PNGReadState(PNGMemorySource& source)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, exitWithError, ignoreWarning)),
          info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {
        if (png_ != nullptr) png_set_read_fn(png_, &source, readFromMemory);
    }
    ~PNGReadState() { png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr); }
    PNGReadState(const PNGReadState&) = delete;
    PNGReadState& operator=(const PNGReadState&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_;
};

// Text, colour profiles, suggested palettes and Exif are not used, and libpng would keep each one
// inflated (up to 8 MB apiece, and a thousand of them) until the decode ends: they are skipped unread.
void skipUnusedChunks(png_structp png) {
    static constexpr png_byte skipped[] = "iCCP\0iTXt\0tEXt\0zTXt\0sPLT\0eXIf";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, skipped, static_cast<int>(sizeof skipped / 5));
}

// Every colour type and depth comes out as 8-bit straight RGBA in sRGB.
void requestRGBA(png_structp png) {
    png_set_alpha_mode(png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
}

// Kept free of objects with destructors because of the longjmp; `image` lives in the caller. Rows
// are read one at a time straight into the image, each pass of an interlaced file over the rows it
// fills, so the decoder's own buffers hold a row or two.
ReadOutcome readPNG(const PNGReadState& state, const ImageDecodingLimits& limits, DecodingWork& work,
                    DecodedImage& image) {
    png_structp png = state.png();
    png_infop info = state.info();
    if (setjmp(png_jmpbuf(png)) != 0) return ReadOutcome::failed;
    skipUnusedChunks(png);
    png_read_info(png, info);
    const std::size_t byteCount =
        checkedPixelBytes(png_get_image_width(png, info), png_get_image_height(png, info), limits, "PNG");
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    admitPixelBytes(byteCount, limits);
    requestRGBA(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(image.width) * 4) png_error(png, "unexpected row size");
    image.rgba.resize(byteCount);
    const bool interlaced = passes > 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < image.height; ++y) {
            const bool inPass = !interlaced || PNG_ROW_IN_INTERLACE_PASS(y, pass);
            const long long samples = !inPass ? 0 : interlaced ? PNG_PASS_COLS(image.width, pass) : image.width;
            if (!work.tryAdd(samples)) return ReadOutcome::tooMuchWork;
            png_read_row(png, image.rgba.data() + static_cast<std::size_t>(y) * image.width * 4, nullptr);
        }
    }
    png_read_end(png, nullptr);
    return ReadOutcome::decoded;
}

} // namespace

DecodedImage decodePNG(std::string_view bytes, const ImageDecodingLimits& limits) {
    PNGMemorySource source{bytes};
    const PNGReadState state(source);
    if (state.png() == nullptr || state.info() == nullptr) throwMalformed("PNG", "the decoder cannot be set up");
    DecodingWork work(limits, "PNG");
    DecodedImage image;
    switch (readPNG(state, limits, work, image)) {
    case ReadOutcome::decoded: return image;
    case ReadOutcome::tooMuchWork: work.refuse();
    case ReadOutcome::failed: break;
    }
    throwMalformed("PNG", source.failure);
}

} // namespace glimmo::decoding
