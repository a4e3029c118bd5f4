#pragma once

#include "platform/imaging/DecodedImage.h"
#include "platform/runtime/ErrorValue.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace glimmo {

// The JPEG encoder could not produce the image.
class JPEGEncodingError : public std::runtime_error, public CopiedAcrossThreads {
public:
    enum class Kind {
        invalidImage,  // no pixels, or a buffer that does not match the dimensions
        outOfMemory,   // the encoder could not allocate its output
        encoderFailed  // any other failure reported by the encoder
    };

    JPEGEncodingError(Kind kind, std::string message);
    Kind kind() const noexcept { return kind_; }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }

private:
    Kind kind_;
};

// Baseline JPEG of the image's colour channels (alpha is dropped). `quality` runs from 0 to 1 and is
// clamped to that range.
std::vector<std::uint8_t> encodeJPEG(const DecodedImage& image, double quality);

} // namespace glimmo
