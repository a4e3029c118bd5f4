#include "generative-ai/ImageConversionError.h"

#include "platform/runtime/ErrorValue.h"

namespace genai {

namespace {
// Crosses threads as a value.
[[maybe_unused]] const bool taught = glimmo::ErrorValue::teach<ImageConversionError>();
} // namespace

const char* ImageConversionError::what() const noexcept {
    switch (kind_) {
    case Kind::couldNotConvertToJPEG: return "couldNotConvertToJPEG";
    case Kind::invalidUnderlyingImage: return "invalidUnderlyingImage";
    case Kind::couldNotAllocateDestination: return "couldNotAllocateDestination";
    }
    return "ImageConversionError";
}

} // namespace genai
