#include "generative-ai/ClientError.h"
#include "generative-ai/DecodingError.h"
#include "generative-ai/RPCError.h"

namespace genai {

glimmo::Error makeClientError(std::string description) {
    return glimmo::Error(clientErrorDomain, -1, std::move(description));
}

namespace {
std::string joinPath(const std::vector<std::string>& keys) {
    std::string joined;
    for (const auto& key : keys) {
        if (!joined.empty() && key.front() != '[') joined += '.';
        joined += key;
    }
    return joined;
}
} // namespace

DecodingError::DecodingError(Kind kind, std::vector<std::string> codingPath, std::string description)
    : glimmo::JSONDecodingError(joinPath(codingPath), std::move(description)), kind_(kind),
      keys_(std::move(codingPath)) {}

} // namespace genai

namespace genai {

InvalidRequestURLError::InvalidRequestURLError(const std::string& url)
    : glimmo::Error(clientErrorDomain, -1, "The request URL is not valid: " + url) {}

} // namespace genai

namespace genai {

RPCError::RPCError(int httpResponseCode, std::string message, RPCStatus status, std::vector<ErrorDetails> details)
    : std::runtime_error(message), httpResponseCode_(httpResponseCode), message_(std::move(message)), status_(status),
      details_(std::move(details)) {}

std::optional<ErrorDetails> RPCError::errorInfo() const {
    for (const auto& detail : details_) {
        if (detail.type == errorInfoTypeURL) return detail;
    }
    return std::nullopt;
}

InvalidCandidateError::InvalidCandidateError(Kind kind, std::exception_ptr underlyingError)
    : std::runtime_error(kind == Kind::emptyContent ? "emptyContent" : "malformedContent"), kind_(kind),
      underlying_(std::move(underlyingError)) {}

} // namespace genai
