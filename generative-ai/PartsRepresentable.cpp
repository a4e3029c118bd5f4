#include "generative-ai/PartsRepresentable.h"

#include "generative-ai/ImageConversionError.h"
#include "platform/imaging/JPEGEncoding.h"

namespace genai {

PartsRepresentable::PartsRepresentable(std::string text) : parts_{ModelContent::Part::text(std::move(text))} {}
PartsRepresentable::PartsRepresentable(const char* text) : PartsRepresentable(std::string(text)) {}
PartsRepresentable::PartsRepresentable(ModelContent::Part part) : parts_{std::move(part)} {}

ThrowingPartsRepresentable::ThrowingPartsRepresentable(PartsRepresentable value)
    : convert_([value = std::move(value)] { return value.representedParts(); }) {}
ThrowingPartsRepresentable::ThrowingPartsRepresentable(std::string text)
    : ThrowingPartsRepresentable(PartsRepresentable(std::move(text))) {}
ThrowingPartsRepresentable::ThrowingPartsRepresentable(const char* text)
    : ThrowingPartsRepresentable(PartsRepresentable(text)) {}
ThrowingPartsRepresentable::ThrowingPartsRepresentable(ModelContent::Part part)
    : ThrowingPartsRepresentable(PartsRepresentable(std::move(part))) {}
ThrowingPartsRepresentable::ThrowingPartsRepresentable(glimmo::DecodedImage image)
    : convert_([image = std::move(image)] { return genai::convertToParts(image); }) {}
ThrowingPartsRepresentable::ThrowingPartsRepresentable(std::vector<ThrowingPartsRepresentable> list)
    : convert_([list = std::move(list)] {
          std::vector<ModelContent::Part> parts;
          for (const auto& element : list) {
              auto converted = element.convertToParts();
              parts.insert(parts.end(), std::make_move_iterator(converted.begin()),
                           std::make_move_iterator(converted.end()));
          }
          return parts;
      }) {}
ThrowingPartsRepresentable::ThrowingPartsRepresentable(std::function<std::vector<ModelContent::Part>()> convert)
    : convert_(std::move(convert)) {}

std::vector<ModelContent::Part> ThrowingPartsRepresentable::convertToParts() const { return convert_(); }

ModelContent makeContent(const PartsRepresentable& value, std::optional<std::string> role) {
    return ModelContent(std::move(role), value.representedParts());
}

ModelContent makeContent(const std::vector<PartsRepresentable>& values, std::optional<std::string> role) {
    std::vector<ModelContent::Part> parts;
    for (const auto& value : values) {
        parts.insert(parts.end(), value.representedParts().begin(), value.representedParts().end());
    }
    return ModelContent(std::move(role), std::move(parts));
}

ModelContent makeContentConverting(const std::vector<ThrowingPartsRepresentable>& values,
                                   std::optional<std::string> role) {
    return ModelContent(std::move(role), ThrowingPartsRepresentable(values).convertToParts());
}

std::vector<ModelContent::Part> convertToParts(const glimmo::DecodedImage& image) {
    if (!image.isValid()) throw ImageConversionError::invalidUnderlyingImage();
    try {
        auto bytes = glimmo::encodeJPEG(image, 0.8);
        if (bytes.empty()) throw ImageConversionError::couldNotConvertToJPEG(image);
        return {ModelContent::Part::jpegImage(std::move(bytes))};
    } catch (const glimmo::JPEGEncodingError& error) {
        switch (error.kind()) {
        case glimmo::JPEGEncodingError::Kind::invalidImage: throw ImageConversionError::invalidUnderlyingImage();
        case glimmo::JPEGEncodingError::Kind::outOfMemory: throw ImageConversionError::couldNotAllocateDestination();
        case glimmo::JPEGEncodingError::Kind::encoderFailed: break;
        }
        throw ImageConversionError::couldNotConvertToJPEG(image);
    }
}

} // namespace genai
