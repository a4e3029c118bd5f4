#pragma once

#include "generative-ai/RawValue.h"

#include "platform/runtime/ErrorValue.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace genai {

// The canonical status names the service reports; compared exactly.
enum class RPCStatus {
    ok, cancelled, unknown, invalidArgument, deadlineExceeded, notFound, alreadyExists, permissionDenied,
    unauthenticated, resourceExhausted, failedPrecondition, aborted, outOfRange, unimplemented, internalError,
    unavailable, dataLoss
};
std::string_view rawValue(RPCStatus status);

// One entry of an error reply's "details".
struct ErrorDetails {
    std::string type;  // "@type"
    std::optional<std::string> reason;
    std::optional<std::string> domain;

    bool operator==(const ErrorDetails&) const = default;
};

// The type URL of the ErrorInfo detail.
inline constexpr const char* errorInfoTypeURL = "type.googleapis.com/google.rpc.ErrorInfo";

// The service refused a request.
class RPCError : public std::runtime_error, public glimmo::CopiedAcrossThreads {
public:
    RPCError(int httpResponseCode, std::string message, RPCStatus status, std::vector<ErrorDetails> details);

    // Reads an error reply body ({"error": {...}}). Throws DecodingError when it is not one.
    static RPCError decode(std::string_view body);

    int httpResponseCode() const noexcept { return httpResponseCode_; }  // -1 when not given
    const std::string& message() const noexcept { return message_; }     // "Unknown error." when not given
    RPCStatus status() const noexcept { return status_; }                // unknown when not given or unreadable
    const std::vector<ErrorDetails>& details() const noexcept { return details_; }
    // The first ErrorInfo entry of `details`.
    std::optional<ErrorDetails> errorInfo() const;
    glimmo::ErrorValue::Thrower copyForThrowing() const override { return glimmo::ErrorValue::thrower(*this); }

private:
    int httpResponseCode_;
    std::string message_;
    RPCStatus status_;
    std::vector<ErrorDetails> details_;
};

// A reply candidate whose content cannot be read; `underlyingError()` is the content's own
// decoding error.
class InvalidCandidateError : public std::runtime_error, public glimmo::CopiedAcrossThreads {
public:
    enum class Kind { emptyContent, malformedContent };

    InvalidCandidateError(Kind kind, std::exception_ptr underlyingError);

    Kind kind() const noexcept { return kind_; }
    std::exception_ptr underlyingError() const noexcept { return underlying_; }
    // Holds a copy of the underlying error.
    glimmo::ErrorValue::Thrower copyForThrowing() const override;

private:
    Kind kind_;
    std::exception_ptr underlying_;
};

template <> std::optional<RPCStatus> fromRawValue<RPCStatus>(std::string_view text);

} // namespace genai
