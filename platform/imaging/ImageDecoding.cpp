#include "platform/imaging/ImageDecoding.h"

#include "platform/imaging/DecoderFormats.h"

#include <utility>

namespace glimmo {

ImageDecodingError::ImageDecodingError(Kind kind, std::string message)
    : std::runtime_error(std::move(message)), kind_(kind) {}

std::optional<ImageFormat> detectImageFormat(std::string_view bytes) {
    const auto startsWith = [bytes](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (startsWith("\x89PNG\r\n\x1a\n")) return ImageFormat::png;
    if (startsWith("\xff\xd8\xff")) return ImageFormat::jpeg;
    if (startsWith("GIF87a") || startsWith("GIF89a")) return ImageFormat::gif;
    if (bytes.size() >= 12 && startsWith("RIFF") && bytes.substr(8, 4) == "WEBP") return ImageFormat::webp;
    return std::nullopt;
}

DecodedImage decodeImage(std::string_view bytes, const ImageDecodingLimits& limits) {
    const auto format = detectImageFormat(bytes);
    if (!format) {
        throw ImageDecodingError(ImageDecodingError::Kind::unknownFormat, "The data is not a PNG, JPEG, GIF or WebP image.");
    }
    switch (*format) {
    case ImageFormat::png: return decoding::decodePNG(bytes, limits);
    case ImageFormat::jpeg: return decoding::decodeJPEG(bytes, limits);
    case ImageFormat::gif: return decoding::decodeGIF(bytes, limits);
    case ImageFormat::webp: return decoding::decodeWebP(bytes, limits);
    }
    throw ImageDecodingError(ImageDecodingError::Kind::unknownFormat, "Unknown image format.");
}

namespace decoding {

bool fitsLimits(long long width, long long height, const ImageDecodingLimits& limits) {
    if (width > limits.maximumSide || height > limits.maximumSide) return false;
    // Both sides are at most an int here, so the product cannot overflow.
    return width * height <= limits.maximumPixels;
}

std::size_t checkedPixelBytes(long long width, long long height, const ImageDecodingLimits& limits,
                              const char* format) {
    if (width <= 0 || height <= 0) throwMalformed(format, "the image has no pixels");
    if (!fitsLimits(width, height, limits)) {
        throw ImageDecodingError(ImageDecodingError::Kind::tooLarge,
                                 std::string(format) + " image of " + std::to_string(width) + " x " +
                                     std::to_string(height) + " pixels exceeds the limits of " +
                                     std::to_string(limits.maximumSide) + " pixels on a side and " +
                                     std::to_string(limits.maximumPixels) + " pixels in all.");
    }
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

void admitPixelBytes(std::size_t byteCount, const ImageDecodingLimits& limits) {
    if (limits.beforeAllocating) limits.beforeAllocating(byteCount);
}

void admitWorkspaceBytes(std::size_t byteCount, const ImageDecodingLimits& limits) {
    if (byteCount > 0 && limits.beforeAllocatingWorkspace) limits.beforeAllocatingWorkspace(byteCount);
}

void throwMalformed(const char* format, const std::string& detail) {
    throw ImageDecodingError(ImageDecodingError::Kind::malformed,
                             std::string("Cannot decode the ") + format + " image: " + detail + ".");
}

} // namespace decoding

} // namespace glimmo
