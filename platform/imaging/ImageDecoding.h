#pragma once

#include "platform/imaging/DecodedImage.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace glimmo {

enum class ImageFormat { png, jpeg, gif, webp };

// The bytes could not be turned into an image.
class ImageDecodingError : public std::runtime_error {
public:
    enum class Kind {
        unknownFormat,  // not PNG, JPEG, GIF or WebP
        malformed,      // the decoder rejected the data (truncated, corrupt, unsupported variant)
        tooLarge        // a side exceeds the limit; refused before any pixels were allocated
    };

    ImageDecodingError(Kind kind, std::string message);
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

struct ImageDecodingLimits {
    // Largest width or height accepted. At 16,384 a side an image can still take 1 GiB of pixels,
    // but a hostile header can no longer ask for more.
    int maximumSide = 16384;
};

// The format named by the file signature, or nullopt.
std::optional<ImageFormat> detectImageFormat(std::string_view bytes);

// Decodes the first frame of a PNG, JPEG, GIF or WebP file into 8-bit straight-alpha RGBA with scale 1.
// Orientation metadata is not applied. Throws ImageDecodingError.
DecodedImage decodeImage(std::string_view bytes, const ImageDecodingLimits& limits = {});

} // namespace glimmo
