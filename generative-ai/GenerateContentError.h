#pragma once

#include "generative-ai/GenerateContentResponse.h"
#include "generative-ai/ImageConversionError.h"
#include "platform/runtime/ErrorValue.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

namespace genai {

// The one error of the generate operations.
class GenerateContentError : public std::runtime_error, public glimmo::CopiedAcrossThreads {
public:
    enum class Kind {
        promptImageContentError,  // an image prompt part could not be converted; nothing was sent
        internalError,            // any other failure; `underlying()` is the error itself
        promptBlocked,            // the server blocked the prompt; `response()` is the reply
        responseStoppedEarly,     // the first candidate ended for a reason other than STOP
        invalidAPIKey,            // the server rejected the API key; `message()` is its message
        unsupportedUserLocation   // the server refused the user's location
    };

    static GenerateContentError promptImageContentError(ImageConversionError underlying);
    static GenerateContentError internalError(std::exception_ptr underlying);
    static GenerateContentError promptBlocked(GenerateContentResponse response);
    static GenerateContentError responseStoppedEarly(FinishReason reason, GenerateContentResponse response);
    static GenerateContentError invalidAPIKey(std::string message);
    static GenerateContentError unsupportedUserLocation();

    Kind kind() const noexcept { return kind_; }
    // promptImageContentError: the ImageConversionError; internalError: the wrapped error.
    std::exception_ptr underlying() const noexcept { return underlying_; }
    // promptBlocked and responseStoppedEarly.
    const std::optional<GenerateContentResponse>& response() const noexcept { return response_; }
    // responseStoppedEarly.
    std::optional<FinishReason> reason() const noexcept { return reason_; }
    // invalidAPIKey.
    const std::string& message() const noexcept { return message_; }
    // Made again through the factory of its kind, holding a copy of the underlying error.
    glimmo::ErrorValue::Thrower copyForThrowing() const override;

private:
    GenerateContentError(Kind kind, const std::string& description);

    Kind kind_;
    std::exception_ptr underlying_;
    std::optional<GenerateContentResponse> response_;
    std::optional<FinishReason> reason_;
    std::string message_;
};

// The one error of token counting.
class CountTokensError : public std::runtime_error, public glimmo::CopiedAcrossThreads {
public:
    enum class Kind { internalError };

    static CountTokensError internalError(std::exception_ptr underlying);

    Kind kind() const noexcept { return Kind::internalError; }
    std::exception_ptr underlying() const noexcept { return underlying_; }
    // Holds a copy of the underlying error.
    glimmo::ErrorValue::Thrower copyForThrowing() const override;

private:
    CountTokensError(const std::string& description, std::exception_ptr underlying);
    std::exception_ptr underlying_;
};

} // namespace genai
