#include "generative-ai/ImageConversionError.h"

namespace genai {

const char* ImageConversionError::what() const noexcept {
    switch (kind_) {
    case Kind::couldNotConvertToJPEG: return "couldNotConvertToJPEG";
    case Kind::invalidUnderlyingImage: return "invalidUnderlyingImage";
    case Kind::couldNotAllocateDestination: return "couldNotAllocateDestination";
    }
    return "ImageConversionError";
}

} // namespace genai
