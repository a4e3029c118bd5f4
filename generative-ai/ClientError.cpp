#include "generative-ai/ClientError.h"

#include "platform/runtime/ErrorValue.h"

namespace genai {

namespace {
// Crosses threads as a value.
[[maybe_unused]] const bool taught = glimmo::ErrorValue::teach<InvalidRequestURLError>();
} // namespace

glimmo::Error makeClientError(std::string description) {
    return glimmo::Error(clientErrorDomain, -1, std::move(description));
}

InvalidRequestURLError::InvalidRequestURLError(const std::string& url)
    : glimmo::Error(clientErrorDomain, -1, "The request URL is not valid: " + url) {}

} // namespace genai
