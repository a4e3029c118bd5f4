#include "generative-ai/DecodingError.h"

namespace genai {

namespace {
// "candidates[0].content.parts" from its keys.
std::string joinPath(const std::vector<std::string>& keys) {
    std::string joined;
    for (const auto& key : keys) {
        if (!joined.empty() && !key.starts_with('[')) joined += '.';
        joined += key;
    }
    return joined;
}

} // namespace

DecodingError::DecodingError(Kind kind, std::vector<std::string> codingPath, std::string description)
    : glimmo::JSONDecodingError(joinPath(codingPath), std::move(description)), kind_(kind),
      keys_(std::move(codingPath)) {}

} // namespace genai
