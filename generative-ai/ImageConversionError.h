#pragma once

#include "platform/runtime/ErrorValue.h"

#include <any>
#include <exception>

namespace genai {

// An image given as a prompt part could not be turned into JPEG data.
class ImageConversionError : public std::exception, public glimmo::CopiedAcrossThreads {
public:
    enum class Kind {
        couldNotConvertToJPEG,       // the encoder produced no bytes; `object()` holds the image
        invalidUnderlyingImage,      // the image has no usable bitmap behind it
        couldNotAllocateDestination  // no output could be allocated for the encoder
    };

    static ImageConversionError couldNotConvertToJPEG(std::any object) {
        return ImageConversionError(Kind::couldNotConvertToJPEG, std::move(object));
    }
    static ImageConversionError invalidUnderlyingImage() { return ImageConversionError(Kind::invalidUnderlyingImage, {}); }
    static ImageConversionError couldNotAllocateDestination() {
        return ImageConversionError(Kind::couldNotAllocateDestination, {});
    }

    Kind kind() const noexcept { return kind_; }
    const std::any& object() const noexcept { return object_; }
    const char* what() const noexcept override;
    glimmo::ErrorValue::Thrower copyForThrowing() const override { return glimmo::ErrorValue::thrower(*this); }

private:
    ImageConversionError(Kind kind, std::any object) : kind_(kind), object_(std::move(object)) {}
    Kind kind_;
    std::any object_;
};

} // namespace genai
