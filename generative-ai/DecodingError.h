#pragma once

#include "platform/foundation/Json.h"

#include <string>
#include <vector>

namespace genai {

// A reply could not be read into the client's types: a required key is missing, a value has the
// wrong JSON type, or the data is not what the type accepts.
class DecodingError : public glimmo::JSONDecodingError {
public:
    enum class Kind { keyNotFound, typeMismatch, dataCorrupted };

    DecodingError(Kind kind, std::vector<std::string> codingPath, std::string description);

    Kind kind() const noexcept { return kind_; }
    // The keys (and "[index]" entries) from the top of the document to the failing value.
    const std::vector<std::string>& codingPathKeys() const noexcept { return keys_; }
    glimmo::ErrorValue::Thrower copyForThrowing() const override { return glimmo::ErrorValue::thrower(*this); }

private:
    Kind kind_;
    std::vector<std::string> keys_;
};

} // namespace genai
