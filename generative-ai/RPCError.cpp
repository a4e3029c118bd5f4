#include "generative-ai/RPCError.h"

#include "platform/runtime/ErrorValue.h"

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

glimmo::ErrorValue::Thrower InvalidCandidateError::copyForThrowing() const {
    return glimmo::ErrorValue::thrower(InvalidCandidateError(kind_, glimmo::ErrorValue::copied(underlying_)));
}

} // namespace genai
