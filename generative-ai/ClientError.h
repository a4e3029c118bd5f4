#pragma once

#include "platform/foundation/Error.h"

#include <string>

namespace genai {

// The domain of the client's own error objects, shared with its logging subsystem.
inline constexpr const char* clientErrorDomain = "com.glimmodemo.GenerativeAI";

// An error raised by the client itself: domain `clientErrorDomain`, code -1.
glimmo::Error makeClientError(std::string description);

// The endpoint text built from the base URL, API version and model name is not a valid URL
// (a model name with spaces, say). Nothing was sent.
class InvalidRequestURLError : public glimmo::Error {
public:
    explicit InvalidRequestURLError(const std::string& url);
    glimmo::ErrorValue::Thrower copyForThrowing() const override { return glimmo::ErrorValue::thrower(*this); }
};

} // namespace genai
