#include "generative-ai/ModelContent.h"

namespace genai {

std::optional<std::string> ModelContent::Part::textValue() const {
    if (const auto* text = std::get_if<0>(&payload_)) return *text;
    return std::nullopt;
}

} // namespace genai
