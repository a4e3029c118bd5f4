#pragma once

#include "platform/imaging/DecodedImage.h"
#include "platform/runtime/ErrorValue.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace glimmo {

enum class ImageFormat { png, jpeg, gif, webp };

// The bytes could not be turned into an image.
class ImageDecodingError : public std::runtime_error, public CopiedAcrossThreads {
public:
    enum class Kind {
        unknownFormat,  // not PNG, JPEG, GIF or WebP
        malformed,      // the decoder rejected the data (truncated, corrupt, unsupported variant)
        tooLarge,       // a side or the pixel count exceeds the limits; refused from the header, before
                        // anything of the image's size is allocated
        budgetSpent,    // the pixels, or what the decoder works in, would pass the bound on decoded images
                        // alive in the process; refused before they are allocated
        tooMuchWork     // the decode would pass the bound on scans or work, or ran out of time
    };

    ImageDecodingError(Kind kind, std::string message);
    Kind kind() const noexcept { return kind_; }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }

private:
    Kind kind_;
};

// A few bytes of header can declare any size, so both size limits are checked before decoding starts;
// a few more can ask for the same pixels to be decoded again and again, so the work is bounded too.
struct ImageDecodingLimits {
    // Largest width or height accepted.
    int maximumSide = 16384;
    // Largest width x height accepted: 64 megapixels, 256 MiB of RGBA, as much as every cache of
    // decoded images holds together.
    long long maximumPixels = 64LL << 20;
    // Called with the byte count of the pixels once the header is within the limits, before they are
    // allocated; throws (ImageDecodingError) to refuse the image. Where decoded pixels are charged to a
    // bound on the memory they take.
    std::function<void(std::size_t bytes)> beforeAllocating{};
    // Called, after beforeAllocating, with the byte count of the memory the decoder works in besides the
    // pixels, when it grows with the image (a progressive JPEG's coefficients, a lossless WebP's pixels in
    // the decoder's own form and the tables of its prefix codes), before it is allocated; that memory
    // lives for the decode only. Throws to refuse the image. Not called when the decoder needs no such
    // memory. Called again when what it needs changes (a lossless WebP's head is read, with an image of
    // its own, before libwebp decodes): each count is all of that memory from then on, in place of the
    // one before.
    std::function<void(std::size_t bytes)> beforeAllocatingWorkspace{};

    // Most scans of a progressive JPEG: each one passes over the whole image again, and encoders write
    // a few dozen at most.
    int maximumScans = 100;
    // Most samples a decode may produce or pass over (each pixel of the image once, each JPEG scan the
    // samples of its components once more): 64 times the largest image.
    long long maximumWork = 64LL << 26;
    // Longest a decode may run, in seconds, checked as it goes; a backstop for what the work bound does
    // not count. Zero refuses every decode at its first check.
    double maximumSeconds = 5;
};

// The format named by the file signature, or nullopt.
std::optional<ImageFormat> detectImageFormat(std::string_view bytes);

// Decodes the first frame of a PNG, JPEG, GIF or WebP file into 8-bit straight-alpha RGBA with scale 1.
// Orientation metadata is not applied. Throws ImageDecodingError.
DecodedImage decodeImage(std::string_view bytes, const ImageDecodingLimits& limits = {});

} // namespace glimmo
