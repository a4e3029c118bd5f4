#include "generative-ai/ClientError.h"

namespace genai {

glimmo::Error makeClientError(std::string description) {
    return glimmo::Error(clientErrorDomain, -1, std::move(description));
}

InvalidRequestURLError::InvalidRequestURLError(const std::string& url)
    : glimmo::Error(clientErrorDomain, -1, "The request URL is not valid: " + url) {}

} // namespace genai
