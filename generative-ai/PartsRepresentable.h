#pragma once

#include "generative-ai/ModelContent.h"
#include "platform/imaging/DecodedImage.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace genai {

// A value that is parts without fail: a string (one text part, also when empty) or a part.
class PartsRepresentable {
public:
    PartsRepresentable(std::string text);
    PartsRepresentable(const char* text);
    PartsRepresentable(ModelContent::Part part);

    const std::vector<ModelContent::Part>& representedParts() const { return parts_; }
    std::vector<ModelContent::Part> convertToParts() const { return parts_; }

private:
    std::vector<ModelContent::Part> parts_;
};

// A value that becomes parts when asked and may fail doing so: everything above, a decoded image
// (one JPEG part at quality 0.8; ImageConversionError on failure), or a list of such values
// (converted in order, the first error stops the conversion).
class ThrowingPartsRepresentable {
public:
    ThrowingPartsRepresentable(PartsRepresentable value);
    ThrowingPartsRepresentable(std::string text);
    ThrowingPartsRepresentable(const char* text);
    ThrowingPartsRepresentable(ModelContent::Part part);
    ThrowingPartsRepresentable(glimmo::DecodedImage image);
    ThrowingPartsRepresentable(std::vector<ThrowingPartsRepresentable> list);
    // Any other source of parts.
    explicit ThrowingPartsRepresentable(std::function<std::vector<ModelContent::Part>()> convert);

    std::vector<ModelContent::Part> convertToParts() const;

private:
    std::function<std::vector<ModelContent::Part>()> convert_;
};

// Building turns; when no role is given it is "user".
ModelContent makeContent(const PartsRepresentable& value, std::optional<std::string> role = "user");
ModelContent makeContent(const std::vector<PartsRepresentable>& values, std::optional<std::string> role = "user");
// Throws the first conversion error unchanged; no partial turn is returned.
ModelContent makeContentConverting(const std::vector<ThrowingPartsRepresentable>& values,
                                   std::optional<std::string> role = "user");

// One JPEG part (quality 0.8) of a decoded image. Throws ImageConversionError.
std::vector<ModelContent::Part> convertToParts(const glimmo::DecodedImage& image);

} // namespace genai
