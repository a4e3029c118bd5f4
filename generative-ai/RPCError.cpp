#include "generative-ai/RPCError.h"

#include "platform/runtime/ErrorValue.h"

namespace genai {

namespace {
// Crosses threads as a value.
[[maybe_unused]] const bool taught =
    glimmo::ErrorValue::teach<RPCError>() &&
    glimmo::ErrorValue::teach<InvalidCandidateError>([](const InvalidCandidateError& error) {
        return InvalidCandidateError(error.kind(), glimmo::ErrorValue::copied(error.underlyingError()));
    });
} // namespace

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
